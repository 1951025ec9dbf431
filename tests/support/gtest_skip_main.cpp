// The main of every test program: GoogleTest, plus a listener that turns a
// skipped test into a failure unless tests/expected_skips.txt lists it
// ("<suite.test>: <reason>" per line, a
// trailing * for every instance of a parameterised test), so that a test which quietly stops
// running shows in the CTest run.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>

namespace {

std::set<std::string> ExpectedSkips() {
    std::string path = TESSEL2U_EXPECTED_SKIPS;
    if (!path.empty() && path[0] == '/') path = "Z:" + path;  // a Unix path seen through Wine
    std::set<std::string> names;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        const size_t colon = line.find(": ");
        if (!line.empty() && line[0] != '#' && colon != std::string::npos) names.insert(line.substr(0, colon));
    }
    return names;
}

class SkipRule : public ::testing::EmptyTestEventListener {
public:
    void OnTestEnd(const ::testing::TestInfo& info) override {
        if (!info.result()->Skipped()) return;
        const std::string name = std::string(info.test_suite_name()) + "." + info.name();
        for (const std::string& listed : m_expected) {
            // "Suite.Test*" lists every instance of a parameterised test.
            if (listed == name || (!listed.empty() && listed.back() == '*' &&
                                   name.compare(0, listed.size() - 1, listed, 0, listed.size() - 1) == 0))
                return;
        }
        ++unexpected;
        std::printf("[  FAILED  ] %s was skipped and is not listed in tests/expected_skips.txt\n", name.c_str());
        std::fflush(stdout);
    }
    int unexpected = 0;

private:
    std::set<std::string> m_expected = ExpectedSkips();
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    auto* rule = new SkipRule;
    ::testing::UnitTest::GetInstance()->listeners().Append(rule);  // owned by GoogleTest
    const int failed = RUN_ALL_TESTS();
    return failed || rule->unexpected ? 1 : 0;
}
