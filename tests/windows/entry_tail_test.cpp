// The command tail from the process's own command line to the rule, byte for byte: a test
// build of the program, linked with a store that logs, is started with a command line
// built here (a launcher that splits and re-quotes arguments could not pass these tails).
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "win_test_util.h"

namespace {

using wintest::WindowsFolder;

struct TailCase {
    const char* name;
    std::string tail;
    std::vector<std::string> expectedLog;  // with {D} for the desktop folder
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

std::string Expand(std::string line, const std::string& desktop) {
    for (std::size_t at; (at = line.find("{D}")) != std::string::npos;) {
        line.replace(at, 3, desktop);
    }
    return line;
}

TEST(EntryPoint, CommandTailReachesTheRuleUnaltered) {
    const std::string desktop = WindowsFolder("Desktop");
    const std::string startMenu = WindowsFolder("Start Menu");
    const std::string probe = wintest::BesideThisProgram("quorvel_probe.exe");
    const std::string logPath = wintest::MakeScratchFolder("tail") + "\\calls.log";
    ASSERT_TRUE(SetEnvironmentVariableA("QUORVEL_PROBE_LOG", logPath.c_str()));

    const std::string a259(259, 'a');
    const std::vector<TailCase> cases = {
        {"empty tail: every target passes the filter",
         "",
         {"read {D}\\plain.lnk|", "write C:\\APPS\\Bolvane.exe|{D}\\plain.lnk",
          "read {D}\\spaced.lnk|", "write C:\\APPS OLD\\Bolvane.exe|{D}\\spaced.lnk"}},
        {"plain filter",
         "c:\\apps",
         {"read {D}\\plain.lnk|c:\\apps", "write C:\\APPS\\Bolvane.exe|{D}\\plain.lnk",
          "read {D}\\spaced.lnk|c:\\apps", "write C:\\APPS OLD\\Bolvane.exe|{D}\\spaced.lnk"}},
        {"a trailing blank is kept and must match",
         "c:\\apps ",
         {"read {D}\\plain.lnk|c:\\apps ", "read {D}\\spaced.lnk|c:\\apps ",
          "write C:\\APPS OLD\\Bolvane.exe|{D}\\spaced.lnk"}},
        {"quotes are kept and must match",
         "\"c:\\apps\"",
         {"read {D}\\plain.lnk|\"c:\\apps\"", "read {D}\\spaced.lnk|\"c:\\apps\""}},
        {"259 bytes fit whole",
         a259,
         {"read {D}\\plain.lnk|" + a259, "read {D}\\spaced.lnk|" + a259}},
        {"260 bytes do not fit: nothing is read", std::string(260, 'a'), {}},
        {"32,000 bytes: nothing is read", std::string(32000, 'a'), {}},
    };

    wintest::EmptyFolder(desktop);
    wintest::EmptyFolder(startMenu);
    ASSERT_TRUE(wintest::WriteBytes(desktop + "\\plain.lnk", "C:\\APPS\\DRAVELIN.EXE"));
    ASSERT_TRUE(wintest::WriteBytes(desktop + "\\spaced.lnk", "C:\\APPS OLD\\DRAVELIN.EXE"));

    for (const TailCase& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(logPath.c_str());
        const std::string commandLine = "\"" + probe + "\" " + c.tail;
        EXPECT_EQ(0, wintest::RunProcess(probe, commandLine));

        std::vector<std::string> expected;
        for (const std::string& line : c.expectedLog) expected.push_back(Expand(line, desktop));
        std::vector<std::string> log = Lines(wintest::ReadBytes(logPath));
        // The platform returns the entries in its own order; compare per shortcut.
        std::sort(expected.begin(), expected.end());
        std::sort(log.begin(), log.end());
        EXPECT_EQ(expected, log);
    }
    wintest::EmptyFolder(desktop);
}

// Which shortcuts a tail repairs: what the filter must match, byte for byte.
TEST(EntryPoint, TailMatchesTargetsAsTyped) {
    const std::string desktop = WindowsFolder("Desktop");
    const std::string probe = wintest::BesideThisProgram("quorvel_probe.exe");
    const std::string logPath = wintest::MakeScratchFolder("tail-match") + "\\calls.log";
    ASSERT_TRUE(SetEnvironmentVariableA("QUORVEL_PROBE_LOG", logPath.c_str()));
    wintest::EmptyFolder(desktop);
    wintest::EmptyFolder(WindowsFolder("Start Menu"));
    ASSERT_TRUE(wintest::WriteBytes(desktop + "\\plain.lnk", "C:\\APPS\\DRAVELIN.EXE"));
    ASSERT_TRUE(wintest::WriteBytes(desktop + "\\accent.lnk", "C:\\CAF\xc9\\DRAVELIN.EXE"));

    struct Case {
        const char* name;
        std::string tail;
        std::vector<std::string> written;  // sorted link names
    };
    const std::vector<Case> cases = {
        {"only blanks: the platform drops them with the program name",
         "   ",
         {"accent.lnk", "plain.lnk"}},
        {"a byte above 0x7F matches only itself", "c:\\caf\xe9", {}},
        {"the same byte in the target", "c:\\caf\xc9", {"accent.lnk"}},
        {"a prefix of a target", "c:\\ap", {"plain.lnk"}},
        {"the whole target", "c:\\apps\\dravelin.exe", {"plain.lnk"}},
        {"running past the target", "c:\\apps\\dravelin.exe\\x", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(logPath.c_str());
        EXPECT_EQ(0, wintest::RunProcess(probe, "\"" + probe + "\" " + c.tail));
        std::vector<std::string> written;
        for (const std::string& line : Lines(wintest::ReadBytes(logPath))) {
            if (line.rfind("write ", 0) == 0) written.push_back(line.substr(line.rfind('\\') + 1));
        }
        std::sort(written.begin(), written.end());
        EXPECT_EQ(c.written, written);
    }
    wintest::EmptyFolder(desktop);
}

}  // namespace
