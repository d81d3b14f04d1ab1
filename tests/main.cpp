#include <gtest/gtest.h>

#include <cstdio>

// Tests capture standard output to read what the program prints, which would
// swallow (and be polluted by) GoogleTest's own report; report on standard
// error instead.
class ReportToStderr : public testing::EmptyTestEventListener {
    void OnTestPartResult(const testing::TestPartResult& result) override
    {
        if (result.failed())
            fprintf(stderr, "%s:%d: Failure\n%s\n", result.file_name() ? result.file_name() : "?",
                    result.line_number(), result.summary());
    }
    void OnTestEnd(const testing::TestInfo& info) override
    {
        fprintf(stderr, "[ %s ] %s.%s\n", info.result()->Passed() ? "    OK" : "FAILED", info.test_suite_name(),
                info.name());
    }
    void OnTestProgramEnd(const testing::UnitTest& unit) override
    {
        fprintf(stderr, "%d passed, %d failed\n", unit.successful_test_count(), unit.failed_test_count());
    }
};

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
    delete listeners.Release(listeners.default_result_printer());
    listeners.Append(new ReportToStderr);
    return RUN_ALL_TESTS();
}
