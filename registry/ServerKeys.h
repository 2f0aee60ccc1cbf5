// Where the server keeps its Java settings, below HKEY_LOCAL_MACHINE: the runtime it starts and the
// class path every Java package appends to. The JVM page, the install and undo all use these.
#pragma once

inline constexpr char kJvmKey[] = "SOFTWARE\\Allaire\\ColdFusion\\CurrentVersion\\JVM";
inline constexpr char kJvmPathValue[] = "JVMPath";
inline constexpr char kJavaClassPathValue[] = "JavaClassPath";
