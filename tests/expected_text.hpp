// The texts the tool must write, spelt out here independently of its code.
#pragma once

#include <string>
#include <string_view>

namespace quirt_format::testing {

// The line for the arguments x d: the request most end-to-end tests make.
inline constexpr const char* REQUEST_LINE =
    "[0 %brax [%base %eval %noun [%pim-eval ['x' [d ~]]]]]\n";

inline std::string expected_usage(std::string_view program_name) {
    return "Usage:\n"
           "    " + std::string{program_name} + " [options] <velk> [<dependency> ...]\n"
           "\n"
           "Format a text representation of a Velk noun for use as input to eval threads via conn\n"
           "\n"
           "options:\n"
           "    -h  Show usage info\n"
           "    -k  Format for the 'murl-eval' thread instead\n";
}

inline std::string expected_failure(std::string_view message,
                                    std::string_view program_name = "quirt-format") {
    return std::string{message} + "\n" + expected_usage(program_name);
}

inline std::string stdout_failure(std::string_view reason) {
    return "quirt-format: failed printing to stdout: " + std::string{reason} + "\n";
}

}  // namespace quirt_format::testing
