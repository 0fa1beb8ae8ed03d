/* The floor: the least a process can do to print the request line. */
#include <unistd.h>

int main(void) {
    static const char line[] = "[0 %brax [%base %eval %noun [%pim-eval '(add 1 2)']]]\n";
    return write(STDOUT_FILENO, line, sizeof line - 1) == (ssize_t)(sizeof line - 1) ? 0 : 1;
}
