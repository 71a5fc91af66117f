#pragma once

#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

// Checks made in a child process, where GoogleTest's own would be lost with the child:
// each one that fails is noted with what it found, and failedChecksIn hands the notes to
// the parent's test.
class ChildChecks {
public:
    template <typename T>
    void equal(const char* what, const T& actual, const T& expected)
    {
        if (!(actual == expected))
            note(std::string(what) + " is " + ::testing::PrintToString(actual) + ", expected "
                 + ::testing::PrintToString(expected));
    }
    void holds(const char* what, bool condition)
    {
        if (!condition)
            note(std::string(what) + " does not hold");
    }
    const std::string& failures() const { return m_failures; }

private:
    void note(const std::string& failure) { m_failures += failure + '\n'; }

    std::string m_failures;
};

// Runs the checks in a child that start makes (runInChild, runUnprivileged, ...) and
// answers what failed there, one line each: empty when every check held.
std::string failedChecksIn(const std::function<int(const std::function<int()>&)>& start,
                           const std::function<void(ChildChecks&)>& checks);
