// The text kept as LastError by the classes that report a failed operation.
#pragma once

#include "dynamora/modMathAndPhysicsGlobal.h"

#include <cstring>
#include <string>

namespace dynamora {

// Where in its operand a checked step failed: "m23" for a matrix (the matrix helpers, and steps
// without an operation name), "y" for a vector such as Force; "" when not known.
inline std::string ElementName(const MathError& error) {
    if (error.Element <= 0) return {};
    if (error.Operation == nullptr || std::strncmp(error.Operation, "Matrix", 6) == 0) {
        if (error.Element > 16) return {};
        const int i = error.Element - 1;
        const char name[] = {'m', static_cast<char>('1' + i / 4), static_cast<char>('1' + i % 4), '\0'};
        return name;
    }
    static const char* const axes[] = {"x", "y", "z"};
    return error.Element <= 3 ? axes[error.Element - 1] : std::string{};
}

// "operation: error text[ in failing step][ at element]". Throws std::bad_alloc.
inline std::string ErrorMessage(const char* operation, const MathError& error) {
    std::string text = std::string(operation) + ": " + ErrorText(error.Code);
    if (error.Operation != nullptr) text += std::string(" in ") + error.Operation;
    const std::string element = ElementName(error);
    if (!element.empty()) text += " at " + element;
    return text;
}

}  // namespace dynamora
