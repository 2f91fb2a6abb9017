// Cross-checks of the fact tables against Debian's own data where it is installed; each test
// skips itself when its data is not on this machine.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "question_sources.h"

namespace {
// Degrees from zone.tab's +DDMM or +DDMMSS form.
double Degrees(const std::string& s) {
    int sign = s[0] == '-' ? -1 : 1;
    std::string digits = s.substr(1);
    double deg = std::stod(digits.substr(0, 2)), min = std::stod(digits.substr(2, 2));
    double sec = digits.size() >= 6 ? std::stod(digits.substr(4, 2)) : 0;
    return sign * (deg + min / 60 + sec / 3600);
}
}  // namespace

TEST(DebianDataTest, CityLatitudesAgreeWithZoneTab) {
    const char* zoneTab = "/usr/share/zoneinfo/zone.tab";
    if (!std::filesystem::exists(zoneTab)) GTEST_SKIP() << "tzdata is not installed";
    std::map<std::string, double> latitudes;
    std::ifstream in(zoneTab);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string code, coordinates, zone;
        fields >> code >> coordinates >> zone;
        size_t split = coordinates.find_first_of("+-", 1);
        latitudes[zone] = Degrees(coordinates.substr(0, split));
    }
    FactTable cities;
    std::vector<std::string> errors;
    ASSERT_TRUE(ReadFactTable(std::string(QUESTIONS_DIR) + "/facts/cities.csv", cities, errors));
    int checked = 0;
    for (size_t r = 0; r < cities.rows.size(); ++r) {
        const std::string& zone = cities.Get(r, "zone");
        if (zone.empty()) continue;
        auto found = latitudes.find(zone);
        ASSERT_NE(found, latitudes.end()) << zone << " is not in zone.tab";
        double ours = std::stod(cities.Get(r, "lat"));
        EXPECT_NEAR(ours, found->second, 0.1) << cities.Get(r, "city");
        EXPECT_EQ(ours > 0, found->second > 0) << cities.Get(r, "city");
        ++checked;
    }
    EXPECT_GT(checked, 30);
}

TEST(DebianDataTest, CurrencyNamesAreInIsoCodes) {
    const char* iso4217 = "/usr/share/iso-codes/json/iso_4217.json";
    if (!std::filesystem::exists(iso4217)) GTEST_SKIP() << "iso-codes is not installed";
    std::ifstream in(iso4217);
    std::stringstream all;
    all << in.rdbuf();
    std::string names = all.str();
    for (char& c : names) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    FactTable currencies;
    std::vector<std::string> errors;
    ASSERT_TRUE(
        ReadFactTable(std::string(QUESTIONS_DIR) + "/facts/currencies.csv", currencies, errors));
    // ISO spells some names its own way; the table keeps the British spelling.
    const std::map<std::string, std::string> isoSpelling = {{"rouble", "ruble"},
                                                            {"yuan", "yuan renminbi"},
                                                            {"colon", "col"},
                                                            {"guarani", "guaran"},
                                                            {"shekel", "sheqel"}};
    for (size_t r = 0; r < currencies.rows.size(); ++r) {
        std::string name = currencies.Get(r, "currency");
        auto spelled = isoSpelling.find(name);
        if (spelled != isoSpelling.end()) name = spelled->second;
        EXPECT_NE(names.find(name), std::string::npos) << currencies.Get(r, "currency");
    }
}

TEST(DebianDataTest, InternetCodesAreTheIsoCodesOfTheirCountries) {
    const char* iso3166 = "/usr/share/iso-codes/json/iso_3166-1.json";
    if (!std::filesystem::exists(iso3166)) GTEST_SKIP() << "iso-codes is not installed";
    std::ifstream in(iso3166);
    std::stringstream all;
    all << in.rdbuf();
    std::string json = all.str();
    FactTable codes;
    std::vector<std::string> errors;
    ASSERT_TRUE(
        ReadFactTable(std::string(QUESTIONS_DIR) + "/facts/internet_codes.csv", codes, errors));
    ASSERT_GT(codes.rows.size(), 150u);
    for (size_t r = 0; r < codes.rows.size(); ++r) {
        const std::string &iso = codes.Get(r, "iso"), &code = codes.Get(r, "code");
        EXPECT_NE(json.find("\"alpha_2\": \"" + iso + "\""), std::string::npos) << iso;
        // The United Kingdom's domain is .uk although its ISO code is GB.
        std::string expected = iso == "GB" ? "uk" : iso;
        for (char& c : expected) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(code, expected) << codes.Get(r, "country");
    }
}

TEST(DebianDataTest, SiUnitsAreDefinedByTheUnitsDatabase) {
    const char* definitions = "/usr/share/units/definitions.units";
    if (!std::filesystem::exists(definitions)) GTEST_SKIP() << "units is not installed";
    std::ifstream in(definitions);
    std::set<std::string> defined;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string name;
        if (words >> name) defined.insert(name);
    }
    FactTable units;
    std::vector<std::string> errors;
    ASSERT_TRUE(ReadFactTable(std::string(QUESTIONS_DIR) + "/facts/si_units.csv", units, errors));
    for (size_t r = 0; r < units.rows.size(); ++r)
        EXPECT_TRUE(defined.count(units.Get(r, "unit"))) << units.Get(r, "unit");
}
