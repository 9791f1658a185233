#include "environment/SettingsStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// A unique company name; its key below HKCU\Software (and below the test root) goes at the end.
class CSettingsKeys
{
  public:
    CSettingsKeys() : m_company("DaSettingsTest-" + std::to_string(::GetCurrentProcessId())) { Clean(); }
    ~CSettingsKeys() { Clean(); }
    CSettingsKeys(const CSettingsKeys&) = delete;
    CSettingsKeys& operator=(const CSettingsKeys&) = delete;

    const char* Company() const { return m_company.c_str(); }
    std::string UnderSoftware() const { return "Software\\" + m_company + "\\Product"; }
    std::string RootPath() const { return "Software\\" + m_company + "-root"; }

    static bool Exists(const std::string& subkey)
    {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(key);
        return true;
    }
    void SetValue(const char* name, DWORD type, const std::vector<BYTE>& bytes) const
    {
        ::RegSetKeyValueA(HKEY_CURRENT_USER, UnderSoftware().c_str(), name, type, bytes.data(),
                          static_cast<DWORD>(bytes.size()));
    }

  private:
    void Clean() const
    {
        for (const std::string& key : {"Software\\" + m_company, RootPath()})
        {
            ::RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
            ::RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
        }
    }
    std::string m_company;
};

TEST(SettingsStore, SubkeyHasSoftwareOnlyWithoutARoot)
{
    EXPECT_EQ(SettingsSubkey("Brisel Co.,Ltd.", "Kavo Downloader", false),
              "Software\\Brisel Co.,Ltd.\\Kavo Downloader");
    EXPECT_EQ(SettingsSubkey("Brisel Co.,Ltd.", "Kavo Downloader", true), "Brisel Co.,Ltd.\\Kavo Downloader");
    EXPECT_EQ(SettingsSubkey("100%s", "%d", true), "100%s\\%d");
}

TEST(SettingsStore, KeyIsCreatedBelowTheRootOrBelowSoftware)
{
    CSettingsKeys keys;
    HKEY root = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, keys.RootPath().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &root, nullptr),
              ERROR_SUCCESS);
    EXPECT_TRUE(OpenSettingsKeyUnder(root, keys.Company(), "Product"));
    ::RegCloseKey(root);
    EXPECT_TRUE(CSettingsKeys::Exists(keys.RootPath() + "\\" + keys.Company() + "\\Product"));
    EXPECT_FALSE(CSettingsKeys::Exists(keys.UnderSoftware()));

    EXPECT_TRUE(OpenSettingsKeyUnder(nullptr, keys.Company(), "Product"));
    EXPECT_TRUE(CSettingsKeys::Exists(keys.UnderSoftware()));
}

TEST(SettingsStore, NullNamesFailWithInvalidParameterAndTouchNothing)
{
    CSettingsKeys keys;
    BYTE data[2] = {};
    DWORD size = sizeof data;
    ::SetLastError(0);
    EXPECT_FALSE(OpenSettingsKey(nullptr, "Product"));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    ::SetLastError(0);
    EXPECT_FALSE(ReadSettingValue(keys.Company(), nullptr, "v", data, &size));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    ::SetLastError(0);
    EXPECT_FALSE(WriteSettingValue(keys.Company(), "Product", nullptr, data, sizeof data));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(CSettingsKeys::Exists("Software\\" + std::string(keys.Company())));
}

TEST(SettingsStore, WriteThenReadSizeFirstThenBytes)
{
    CSettingsKeys keys;
    const std::vector<BYTE> list = {4, 0, 0xAB, 0xCD, 0, 0};
    ASSERT_TRUE(WriteSettingValue(keys.Company(), "Product", "DownloadedFilesPath", list.data(), 6));
    DWORD size = 0;
    ASSERT_TRUE(ReadSettingValue(keys.Company(), "Product", "DownloadedFilesPath", nullptr, &size));
    EXPECT_EQ(size, 6u);
    std::vector<BYTE> read(size);
    ASSERT_TRUE(ReadSettingValue(keys.Company(), "Product", "DownloadedFilesPath", read.data(), &size));
    EXPECT_EQ(read, list);
    DWORD small = 2;
    EXPECT_FALSE(ReadSettingValue(keys.Company(), "Product", "DownloadedFilesPath", read.data(), &small));

    const BYTE desktop[2] = {0, 0};
    ASSERT_TRUE(WriteSettingValue(keys.Company(), "Product", "DownloadedFilesPath", desktop, 2));
    ASSERT_TRUE(ReadSettingValue(keys.Company(), "Product", "DownloadedFilesPath", nullptr, &size));
    EXPECT_EQ(size, 2u);
}

TEST(SettingsStore, MissingOrNonBinaryValueReadsAsAbsent)
{
    CSettingsKeys keys;
    DWORD size = 0;
    EXPECT_FALSE(ReadSettingValue(keys.Company(), "Product", "DownloadedFilesPath", nullptr, &size));
    EXPECT_TRUE(CSettingsKeys::Exists(keys.UnderSoftware())) << "a read creates the key";

    keys.SetValue("DownloadedFilesPath", REG_SZ, {'C', ':', '\\', 0});
    EXPECT_FALSE(ReadSettingValue(keys.Company(), "Product", "DownloadedFilesPath", nullptr, &size));
    CRegKey key = OpenSettingsKeyUnder(nullptr, keys.Company(), "Product");
    ASSERT_TRUE(key);
    size = 0;
    EXPECT_EQ(QueryBinaryValue(key.Get(), "DownloadedFilesPath", nullptr, &size), ERROR_INVALID_DATA);
    EXPECT_EQ(QueryBinaryValue(key.Get(), "Missing", nullptr, &size), ERROR_FILE_NOT_FOUND);
}
} // namespace
