#pragma once

#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>

// Checks made in a child process, where GoogleTest's own would be lost with the child:
// each one that fails is noted with what it found, and failedChecksIn hands the notes to
// the parent's test.
class ChildChecks {
public:
    template <typename T>
    void equal(const char* what, const T& actual, const T& expected)
    {
        if (!(actual == expected))
            note(std::string(what) + " is " + shown(actual) + ", expected " + shown(expected));
    }
    void holds(const char* what, bool condition)
    {
        if (!condition)
            note(std::string(what) + " does not hold");
    }
    const std::string& failures() const { return m_failures; }

private:
    // GoogleTest shows a scoped enumeration as its raw bytes; its number says more.
    template <typename T>
    static std::string shown(const T& value)
    {
        if constexpr (std::is_enum_v<T>)
            return std::to_string(static_cast<std::underlying_type_t<T>>(value));
        else
            return ::testing::PrintToString(value);
    }
    void note(const std::string& failure) { m_failures += failure + '\n'; }

    std::string m_failures;
};

// Runs the checks in a child that start makes (runInChild, runUnprivileged, ...) and
// answers what failed there, one line each: empty when every check held.
std::string failedChecksIn(const std::function<int(const std::function<int()>&)>& start,
                           const std::function<void(ChildChecks&)>& checks);
