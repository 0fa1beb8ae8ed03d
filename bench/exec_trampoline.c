/* Runs argv[1] with the rest of its arguments as a child, waits for it,
 * writes its peak resident memory in KiB and a newline to standard error,
 * and exits with its status. It uses no C library and holds a handful of
 * pages: the peak the kernel reports for a child counts what the child held
 * before it executed its program, so a program measured from the
 * benchmark's own, much larger, process would show that process's size. */
#define SYSCALL_WRITE 1
#define SYSCALL_FORK 57
#define SYSCALL_EXECVE 59
#define SYSCALL_EXIT 60
#define SYSCALL_WAIT4 61

struct resource_usage {
    long times[4]; /* user and system time, as two timevals */
    long peak_kib; /* ru_maxrss */
    long rest[13];
};

static long system_call(long number, long first, long second, long third, long fourth) {
    long result;
    register long fourth_register __asm__("r10") = fourth;
    __asm__ volatile("syscall"
                     : "=a"(result)
                     : "a"(number), "D"(first), "S"(second), "d"(third), "r"(fourth_register)
                     : "rcx", "r11", "memory");
    return result;
}

static void write_decimal_line(long value) {
    char text[24];
    int at = sizeof text;
    text[--at] = '\n';
    do {
        text[--at] = (char)('0' + value % 10);
        value /= 10;
    } while (value > 0 && at > 0);
    system_call(SYSCALL_WRITE, 2, (long)(text + at), (long)(sizeof text - at), 0);
}

__attribute__((used, noreturn)) void trampoline(long argc, char **argv) {
    char **environment = argv + argc + 1;
    long child = system_call(SYSCALL_FORK, 0, 0, 0, 0);
    if (child == 0) {
        system_call(SYSCALL_EXECVE, (long)argv[1], (long)(argv + 1), (long)environment, 0);
        system_call(SYSCALL_EXIT, 127, 0, 0, 0);
    }
    int status = 0;
    struct resource_usage usage = {{0}, 0, {0}};
    if (child < 0 || system_call(SYSCALL_WAIT4, child, (long)&status, 0, (long)&usage) != child) {
        system_call(SYSCALL_EXIT, 126, 0, 0, 0);
    }
    write_decimal_line(usage.peak_kib);
    /* The child's exit status, or 125 if a signal ended it. */
    system_call(SYSCALL_EXIT, (status & 0x7f) == 0 ? (status >> 8) & 0xff : 125, 0, 0, 0);
    __builtin_unreachable();
}

__attribute__((naked, noreturn)) void _start(void) {
    __asm__ volatile("mov (%rsp), %rdi\n\t"
                     "lea 8(%rsp), %rsi\n\t"
                     "call trampoline\n\t"
                     "hlt");
}
