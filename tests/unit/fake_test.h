// A fresh fake world and captured standard error for every test.
#ifndef AFTERSETUP_TESTS_UNIT_FAKE_TEST_H
#define AFTERSETUP_TESTS_UNIT_FAKE_TEST_H

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fake/fake_platform.h"

class FakeTest : public testing::Test {
protected:
    void SetUp() override
    {
        fake::Reset();
        stderr_ = std::make_unique<fake::StderrCapture>();
    }

    void TearDown() override
    {
        // Whatever a test did, the tool must not leave anything behind.
        EXPECT_EQ(fake::LiveExceptions(), 0) << "a thrown CFileException was not released";
        EXPECT_EQ(fake::OpenSearches(), 0) << "a directory search was left open";
        EXPECT_EQ(fake::OpenHandles(), std::vector<std::string>()) << "handles left open";
        stderr_.reset();
    }

    std::string Stderr() const { return stderr_->Text(); }
    const fake::StderrCapture &Capture() const { return *stderr_; }

    // Calls whose text starts with prefix, in order.
    static std::vector<std::string> CallsStartingWith(const std::string &prefix)
    {
        std::vector<std::string> found;
        for (const std::string &call : fake::Calls()) {
            if (call.compare(0, prefix.size(), prefix) == 0)
                found.push_back(call);
        }
        return found;
    }

    // Position of the first call that starts with prefix, or -1.
    static long IndexOf(const std::string &prefix)
    {
        std::vector<std::string> calls = fake::Calls();
        for (std::size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].compare(0, prefix.size(), prefix) == 0)
                return static_cast<long>(i);
        }
        return -1;
    }

    // The calls made from the first one starting with prefix on.
    static std::vector<std::string> CallsFrom(const std::string &prefix)
    {
        std::vector<std::string> calls = fake::Calls();
        long first = IndexOf(prefix);
        if (first < 0)
            return {};
        return std::vector<std::string>(calls.begin() + first, calls.end());
    }

private:
    std::unique_ptr<fake::StderrCapture> stderr_;
};

// gtest parameter names: letters, digits and '_' only.
template <typename Case>
std::string CaseName(const testing::TestParamInfo<Case> &info)
{
    return info.param.name;
}

#endif
