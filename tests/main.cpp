#include <gtest/gtest.h>

// Tests capture standard output to read what the program prints, which
// swallows GoogleTest's reports of failures there: they go to standard
// error as well.
struct FailuresToStderr : testing::EmptyTestEventListener {
    void OnTestPartResult(const testing::TestPartResult& r) override
    {
        if (r.failed()) fprintf(stderr, "%s:%d: Failure\n%s\n", r.file_name() ? r.file_name() : "?", r.line_number(), r.summary());
    }
};

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new FailuresToStderr);
    return RUN_ALL_TESTS();
}
