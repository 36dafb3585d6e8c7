// The one logging call: levels that pass, lines as the console gets them.

#include "Platform/Log.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

TEST(Log, LevelsFilterAndLinesArriveWholeWithoutTheirNewline)
{
    std::vector<std::pair<LogLevel, std::string>> lines;
    setLogSink([&](LogLevel level, const std::string& line) { lines.emplace_back(level, line); });
    const LogLevel before = logLevel();

    setLogLevel(LogLevel::Warning);
    logLine(LogLevel::Info, "dropped %d", 1);
    logLine(LogLevel::Warning, "kept %s\n", "here");
    const std::string longText(2000, 'x'); // longer than the formatter's first try
    logLine(LogLevel::Error, "%s|%d", longText.c_str(), 7);
    setLogLevel(LogLevel::Silent);
    logLine(LogLevel::Error, "silent");

    setLogLevel(before);
    setLogSink({});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::make_pair(LogLevel::Warning, std::string("kept here")));
    EXPECT_EQ(lines[1].second, longText + "|7");

    LogLevel parsed = LogLevel::Info;
    EXPECT_TRUE(parseLogLevel("debug", parsed));
    EXPECT_EQ(parsed, LogLevel::Debug);
    EXPECT_FALSE(parseLogLevel("loud", parsed));
    EXPECT_EQ(parsed, LogLevel::Debug);
}
