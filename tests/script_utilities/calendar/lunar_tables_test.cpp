// The lunar-year tables: the checked-in source is what the generator writes from the data file, and
// the tables hold the published checkpoints and add up.
#include "lunar_calendar.h"
#include "lunar_tables.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::string kSourceDir = QX_SOURCE_DIR;
const std::string kDataFile = kSourceDir + "/script_utilities/calendar/korean-lunar-1921-2040.txt";
const std::string kTablesFile = kSourceDir + "/script_utilities/calendar/lunar_tables.cpp";
const std::string kGenerator = kSourceDir + "/script_utilities/tools/gen_lunar_tables.py";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct DataYear {
    int year, days, bits, leapMonth, leapDays;
};

std::vector<DataYear> ReadDataFile() {
    std::vector<DataYear> years;
    std::ifstream in(kDataFile);
    std::string line;
    while (std::getline(in, line)) {
        DataYear y{};
        if (line.empty() || line[0] == '#')
            continue;
        if (std::sscanf(line.c_str(), "%d:%d/%x/%d/%d", &y.year, &y.days, &y.bits, &y.leapMonth,
                        &y.leapDays) == 5)
            years.push_back(y);
    }
    return years;
}

// Runs the generator on a data text into a fresh file; returns its exit status and the output.
int RunGenerator(const std::string& dataText, std::string& output) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("calendar-gen-" + std::to_string(::getpid()) + "-" + std::to_string(std::rand()));
    std::filesystem::create_directories(dir);
    const auto data = (dir / "data.txt").string();
    const auto out = (dir / "out.cpp").string();
    std::ofstream(data, std::ios::binary) << dataText;
    const std::string command =
        std::string(QX_PYTHON3) + " '" + kGenerator + "' '" + data + "' '" + out + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    output = ReadFile(out);
    std::filesystem::remove_all(dir);
    return status;
}

TEST(LunarTablesSource, IsTheGeneratorOutputOfTheDataFile) {
    std::string generated;
    ASSERT_EQ(RunGenerator(ReadFile(kDataFile), generated), 0);
    ASSERT_FALSE(generated.empty());
    EXPECT_EQ(generated, ReadFile(kTablesFile))
        << "lunar_tables.cpp is stale: run python3 script_utilities/tools/gen_lunar_tables.py";
}

TEST(LunarTablesSource, GeneratorRefusesDamagedData) {
    const std::string good = ReadFile(kDataFile);
    struct Damage {
        const char* from;
        const char* to;
    };
    const Damage damages[] = {
        {"1921:354/A4B/0/0", "1921:355/A4B/0/0"},    // days do not add up
        {"1922:384/B4B/5/29", "1922:384/B4B/0/29"},  // leap days without a leap month
        {"1922:384/B4B/5/29", "1922:384/B4B/12/29"}, // leap month after month 12
        {"1922:384/B4B/5/29", "1922:384/B4B/5/31"},  // leap month of 31 days
        {"1923:354/6A9/0/0\n", ""},                  // a year missing
        {"2040:355/B6A/0/0", "2040:355/B6A/0/0/"},   // malformed line
    };
    for (const auto& d : damages) {
        std::string text = good;
        const auto at = text.find(d.from);
        ASSERT_NE(at, std::string::npos) << d.from;
        text.replace(at, std::string(d.from).size(), d.to);
        std::string output;
        EXPECT_NE(RunGenerator(text, output), 0) << d.from << " -> " << d.to;
        EXPECT_TRUE(output.empty()) << d.from << " -> " << d.to;
    }
}

TEST(LunarTables, HaveTheirSizes) {
    EXPECT_EQ(std::size(g_lunarYearLengths), 119u);
    EXPECT_EQ(std::size(g_lunarMonthBits), 121u);
    EXPECT_EQ(std::size(g_leapMonths), 120u);
    EXPECT_EQ(std::size(g_leapMonthLengths), 121u);
    EXPECT_EQ(std::size(g_solarMonthLengths), 13u);
}

TEST(LunarTables, MeetTheCheckpoints) {
    EXPECT_EQ(g_lunarYearLengths[0], 354); // 1921
    EXPECT_EQ(g_lunarYearLengths[1], 384); // 1922
    EXPECT_EQ(g_lunarMonthBits[1], 0xA4B); // 1921
    EXPECT_EQ(g_leapMonths[1922 - 1920], 5);
    EXPECT_EQ(g_leapMonths[1925 - 1920], 4);
    EXPECT_EQ(g_leapMonths[1928 - 1920], 2);
    EXPECT_EQ(g_leapMonths[1930 - 1920], 6);
    for (LONG length : g_lunarYearLengths) {
        EXPECT_GE(length, 353);
        EXPECT_LE(length, 385);
    }
    int leapYears = 0;
    for (int i = 1; i < kLeapMonthCount; ++i) {
        const LONG leap = g_leapMonths[i];
        if (leap != 0)
            ++leapYears;
        EXPECT_NE(leap, 1) << 1920 + i;
        EXPECT_NE(leap, 12) << 1920 + i;
        EXPECT_LE(leap, 12) << 1920 + i;
        if (leap == 0) {
            EXPECT_EQ(g_leapMonthLengths[i], 0) << 1920 + i;
        } else {
            EXPECT_TRUE(g_leapMonthLengths[i] == 29 || g_leapMonthLengths[i] == 30) << 1920 + i;
        }
    }
    EXPECT_EQ(leapYears, 44);
    const LONG solar[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 0; m < 13; ++m)
        EXPECT_EQ(g_solarMonthLengths[m], solar[m]) << m;
    EXPECT_EQ(LunarCalendar::SolarToDayNumber(1921, 2, 7), kDayNumberBeforeFirstLunarDay);
    EXPECT_EQ(LunarCalendar::SolarToDayNumber(1, 1, 1), 1);
}

TEST(LunarTables, YearLengthsAreTheSumOfTheirMonths) {
    for (int i = 0; i < kLunarYearLengthCount; ++i) {
        LONG days = g_leapMonthLengths[i + 1];
        for (int month = 1; month <= 12; ++month)
            days += 29 + ((g_lunarMonthBits[i + 1] >> (12 - month)) & 1);
        EXPECT_EQ(days, g_lunarYearLengths[i]) << 1921 + i;
        EXPECT_EQ(g_lunarMonthBits[i + 1] & ~0xFFF, 0) << 1921 + i;
    }
}

TEST(LunarTables, HoldEveryYearOfTheDataFile) {
    const auto years = ReadDataFile();
    ASSERT_EQ(years.size(), 120u);
    for (size_t i = 0; i < years.size(); ++i) {
        const auto& y = years[i];
        ASSERT_EQ(y.year, 1921 + static_cast<int>(i));
        if (i < std::size(g_lunarYearLengths)) {
            EXPECT_EQ(g_lunarYearLengths[i], y.days) << y.year;
        }
        EXPECT_EQ(g_lunarMonthBits[i + 1], y.bits) << y.year;
        if (i + 1 < std::size(g_leapMonths)) {
            EXPECT_EQ(g_leapMonths[i + 1], y.leapMonth) << y.year;
        }
        EXPECT_EQ(g_leapMonthLengths[i + 1], y.leapDays) << y.year;
    }
}

} // namespace
