// Reading one key from a settings file that remembers 200 lists, each with its column profile and
// its customised appearance, as a list does when it is created.
#include "base/UserSettings.h"
#include "winlib/Profile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace
{
constexpr int kLists = 200;

class SettingsFile
{
public:
    SettingsFile()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kivo-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        m_dir = pattern;
        setenv("APPDATA", m_dir.c_str(), 1);
        m_path = GetUserSettingsPath();
        std::ofstream out(std::filesystem::path(m_dir) / "DarvKIVO" / "KivoVovode" / "UserSetting.ini");
        for (int list = 0; list < kLists; ++list)
        {
            out << "[List" << list << "]\nCOLUMNPROFILE=";
            for (int column = 0; column < 12; ++column)
                out << (column ? "," : "") << column << ',' << column << ',' << 60 + column;
            out << ",12,12,80,Net# \"3\"-\"4\"# \"Buy\"-\"Sell\"\n";
        }
        out << "[CUSTOMIZE_LISTS]\n";
        for (int list = 0; list < kLists; ++list)
            out << "List" << list << '-' << 1000 + list
                << "=0,FF00,MS Shell Dlg 2,8,3,buy back,FF,buy,FF00,\n";
    }
    ~SettingsFile()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_dir;
    std::string m_path;
};

const SettingsFile& File()
{
    static SettingsFile file;
    return file;
}

void BM_ProfileStringLastList(benchmark::State& state)
{
    char buffer[4096];
    for (auto _ : state)
        benchmark::DoNotOptimize(GetPrivateProfileString("List199", "COLUMNPROFILE", "Settings not found",
                                                         buffer, sizeof buffer, File().Path().c_str()));
}
BENCHMARK(BM_ProfileStringLastList);

void BM_ReadWriteColumnProfileMiddleList(benchmark::State& state)
{
    File();
    std::string value;
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadWriteColumnProfile(SETTING_READ, "List100", value));
}
BENCHMARK(BM_ReadWriteColumnProfileMiddleList);

void BM_ReadWriteSettingLastAppearance(benchmark::State& state)
{
    std::string value;
    std::string error;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            ReadWriteSetting(SETTING_READ, "CUSTOMIZE_LISTS", "List199-1199", value, File().Path(), error));
}
BENCHMARK(BM_ReadWriteSettingLastAppearance);
} // namespace
