#include "engine/DataSources.h"

#include "registry/RegistryAccess.h"

#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kOdbcKey = "SOFTWARE\\ODBC\\ODBC.INI";
const std::string kServerDataSourcesKey = "SOFTWARE\\Allaire\\ColdFusion\\CurrentVersion\\DataSources";

using ValueTable = std::vector<std::pair<std::string, std::string>>;

// Settings of the Jet engine, the same in both of its subkeys.
const ValueTable kJetValues = {
    { "MaxBufferSize", "0" },
    { "PageTimeout", "600" },
};

// The server's defaults for a new data source.
const ValueTable kServerValues = {
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

void WriteValues(const RegistryAccess& registry, const std::string& keyPath, const ValueTable& values)
{
    for (const auto& [name, data] : values)
        (void)registry.WriteString(HKEY_LOCAL_MACHINE, keyPath, name, data);
}

} // namespace

void RegisterDataSource(const ConfigOption& option)
{
    const std::string name = option.getDescription();
    if (name.empty())
        return;
    RegistryAccess registry;

    (void)registry.CreateSubKey(HKEY_LOCAL_MACHINE, kOdbcKey, name);
    const std::string dataSourceKey = kOdbcKey + "\\" + name;
    WriteValues(registry, dataSourceKey,
        {
            { "DBQ", option.getSource() },
            { "DefaultDir", "" },
            { "Description", "" },
            { "Driver", "C:\\WINNT\\System32\\odbcjt32.dll" },
            { "DriverID", "25" },
            { "FIL", "MS Access" },
            { "PWD", "" },
            { "SystemDB", "" },
            { "UID", "admin" },
        });
    (void)registry.CreateSubKey(HKEY_LOCAL_MACHINE, dataSourceKey, "Jet");
    (void)registry.CreateSubKey(HKEY_LOCAL_MACHINE, dataSourceKey, "Jet 2.x");
    WriteValues(registry, dataSourceKey + "\\Jet", kJetValues);
    WriteValues(registry, dataSourceKey + "\\Jet 2.x", kJetValues);

    (void)registry.CreateSubKey(HKEY_LOCAL_MACHINE, kServerDataSourcesKey, name);
    WriteValues(registry, kServerDataSourcesKey + "\\" + name, kServerValues);
}
