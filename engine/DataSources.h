// "ODBC" options: a Microsoft Access data source in ODBC and a server data source of the same name.
#pragma once

#include "config/ConfigOption.h"

// Writes the ODBC data source (with its Jet subkeys) and the server's data source; results of the
// registry calls are not examined. An empty data source name writes nothing: its values would
// otherwise land in ODBC.INI and DataSources themselves.
void RegisterDataSource(const ConfigOption& option);
