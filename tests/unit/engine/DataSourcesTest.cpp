#include "engine/DataSources.h"

#include "tests/support/MessageRecorder.h"
#include "tests/support/RegistryHelpers.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

const std::string kOdbc = R"(SOFTWARE\ODBC\ODBC.INI)";
const std::string kServerDataSources = R"(SOFTWARE\Allaire\ColdFusion\CurrentVersion\DataSources)";

using Values = std::map<std::string, std::string>;

Values OdbcValues(const std::string& source)
{
    return {
        { "DBQ", source },
        { "DefaultDir", "" },
        { "Description", "" },
        { "Driver", R"(C:\WINNT\System32\odbcjt32.dll)" },
        { "DriverID", "25" },
        { "FIL", "MS Access" },
        { "PWD", "" },
        { "SystemDB", "" },
        { "UID", "admin" },
    };
}

const Values kJetValues = {
    { "MaxBufferSize", "0" },
    { "PageTimeout", "600" },
};

const Values kServerValues = {
    { "AllowAllSQL", "1" },
    { "AllowIUActions", "0" },
    { "ConnectionPeriod", "" },
    { "ConnectionTimeout", "30" },
    { "DISABLE_{CALL", "1" },
    { "DISABLE_DELETE", "1" },
    { "DISABLE_INSERT", "1" },
    { "DISABLE_SELECT", "1" },
    { "DISABLE_UPDATE", "1" },
    { "DisableConnections", "0" },
    { "EnableUnboundText", "0" },
    { "LimitConnections", "0" },
    { "LoginTimeout", "30" },
    { "MaintainConnect", "1" },
    { "MaxConnections", "" },
    { "Password", "" },
    { "TextBufferSize", "65000" },
    { "UserID", "" },
};

ConfigOption DataSourceOption(const std::string& name, const std::string& source)
{
    ConfigOption option;
    option.setType("ODBC");
    option.setDescription(name);
    option.setSource(source);
    return option;
}

Values Read(const std::string& keyPath)
{
    return ReadStrings(HKEY_LOCAL_MACHINE, keyPath);
}

// Checks every key a data source consists of against the tables, value by value.
void ExpectDataSource(const std::string& name, const std::string& source)
{
    const std::string odbcKey = kOdbc + "\\" + name;
    EXPECT_EQ(Read(odbcKey), OdbcValues(source)) << name;
    EXPECT_EQ(SubKeyNames(HKEY_LOCAL_MACHINE, odbcKey), (std::vector<std::string> { "Jet", "Jet 2.x" }))
        << name;
    EXPECT_EQ(Read(odbcKey + "\\Jet"), kJetValues) << name;
    EXPECT_EQ(Read(odbcKey + "\\Jet 2.x"), kJetValues) << name;
    EXPECT_EQ(Read(kServerDataSources + "\\" + name), kServerValues) << name;
}

class EngineDataSource : public RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        SeedKey(HKEY_LOCAL_MACHINE, kOdbc);
        SeedKey(HKEY_LOCAL_MACHINE, kServerDataSources);
    }

    void TearDown() override
    {
        // Nothing in data source registration talks to the user.
        EXPECT_TRUE(m_recorder.Messages().empty()) << ::testing::PrintToString(m_recorder.Texts());
        RegistryTest::TearDown();
    }

    MessageRecorder m_recorder;
};

} // namespace

TEST_F(EngineDataSource, ANewDataSourceHasExactlyTheValuesOfItsTables)
{
    RegisterDataSource(DataSourceOption("TagSamples", R"(C:\Tags\samples.mdb)"));

    EXPECT_EQ(SubKeyNames(HKEY_LOCAL_MACHINE, kOdbc), std::vector<std::string> { "TagSamples" });
    EXPECT_EQ(SubKeyNames(HKEY_LOCAL_MACHINE, kServerDataSources), std::vector<std::string> { "TagSamples" });
    ExpectDataSource("TagSamples", R"(C:\Tags\samples.mdb)");
    EXPECT_TRUE(SubKeyNames(HKEY_LOCAL_MACHINE, kServerDataSources + "\\TagSamples").empty());
    // The lists above the data sources are not touched.
    EXPECT_TRUE(Read(kOdbc).empty());
    EXPECT_TRUE(Read(kServerDataSources).empty());
}

TEST_F(EngineDataSource, NameAndSourceAreUsedAsWritten)
{
    RegisterDataSource(DataSourceOption("Sample Data Source", R"(%DIR1%\db\samples.mdb)"));
    RegisterDataSource(DataSourceOption("Relative", R"(db\samples.mdb)"));

    ExpectDataSource("Sample Data Source", R"(%DIR1%\db\samples.mdb)");
    ExpectDataSource("Relative", R"(db\samples.mdb)");
}

TEST_F(EngineDataSource, RegisteringAgainRewritesTheTablesAndKeepsAddedValues)
{
    RegisterDataSource(DataSourceOption("Samples", "first.mdb"));
    SeedString(HKEY_LOCAL_MACHINE, kOdbc + "\\Samples", "UID", "changed by the user");
    SeedString(HKEY_LOCAL_MACHINE, kOdbc + "\\Samples", "Extra", "odbc");
    SeedString(HKEY_LOCAL_MACHINE, kOdbc + "\\Samples\\Jet", "Extra", "jet");
    SeedString(HKEY_LOCAL_MACHINE, kServerDataSources + "\\Samples", "MaxConnections", "10");
    SeedString(HKEY_LOCAL_MACHINE, kServerDataSources + "\\Samples", "Extra", "server");

    RegisterDataSource(DataSourceOption("Samples", "second.mdb"));

    Values odbc = OdbcValues("second.mdb");
    odbc["Extra"] = "odbc";
    EXPECT_EQ(Read(kOdbc + "\\Samples"), odbc);
    Values jet = kJetValues;
    jet["Extra"] = "jet";
    EXPECT_EQ(Read(kOdbc + "\\Samples\\Jet"), jet);
    EXPECT_EQ(Read(kOdbc + "\\Samples\\Jet 2.x"), kJetValues);
    Values server = kServerValues;
    server["Extra"] = "server";
    EXPECT_EQ(Read(kServerDataSources + "\\Samples"), server);
}

TEST_F(EngineDataSource, WithoutTheServerOnlyTheOdbcDataSourceIsWritten)
{
    ResetTestRegistry();
    SeedKey(HKEY_LOCAL_MACHINE, kOdbc);
    SeedKey(HKEY_LOCAL_MACHINE, R"(SOFTWARE\Allaire\ColdFusion\CurrentVersion)");

    RegisterDataSource(DataSourceOption("Samples", "samples.mdb"));

    EXPECT_EQ(Read(kOdbc + "\\Samples"), OdbcValues("samples.mdb"));
    EXPECT_EQ(Read(kOdbc + "\\Samples\\Jet 2.x"), kJetValues);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kServerDataSources));
}

TEST_F(EngineDataSource, AnEmptyNameWritesNothing)
{
    RegisterDataSource(DataSourceOption("", "samples.mdb"));

    for (const std::string& key : { kOdbc, kServerDataSources }) {
        EXPECT_TRUE(Read(key).empty()) << key;
        EXPECT_TRUE(SubKeyNames(HKEY_LOCAL_MACHINE, key).empty()) << key;
    }
}
