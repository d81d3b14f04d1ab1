#include <gtest/gtest.h>

// Tests capture standard output to read what the program prints, which
// would swallow GoogleTest's own report: it goes to standard error.
struct ReportToStderr : testing::EmptyTestEventListener {
    void OnTestPartResult(const testing::TestPartResult& r) override
    {
        if (r.failed()) fprintf(stderr, "%s:%d: Failure\n%s\n", r.file_name() ? r.file_name() : "?", r.line_number(), r.summary());
    }
    void OnTestEnd(const testing::TestInfo& t) override
    {
        fprintf(stderr, "[ %s ] %s.%s\n", t.result()->Passed() ? "    OK" : "FAILED", t.test_suite_name(), t.name());
    }
    void OnTestProgramEnd(const testing::UnitTest& u) override
    {
        fprintf(stderr, "%d passed, %d failed\n", u.successful_test_count(), u.failed_test_count());
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
