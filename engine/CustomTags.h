// "JavaCFX" and "C++CFX" options: one key per tag below the server's CustomTags key.
#pragma once

#include "config/ConfigOption.h"

// Both create or reuse the tag's key and write its values; results of the registry calls are not
// examined, so a machine without the server just stores nothing. An empty tag name writes nothing:
// its values would otherwise land in the CustomTags key itself.
void RegisterJavaTag(const ConfigOption& option);
void RegisterCppTag(const ConfigOption& option);
