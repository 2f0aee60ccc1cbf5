// A machine with the server installed, a package folder as the current directory, and the
// scripted user.
#pragma once

#include "RegistryHelpers.h"
#include "ScriptedHost.h"
#include "TempFolder.h"

#include "res/resource.h"

#include <memory>
#include <string>

inline const std::string kServerKey = "SOFTWARE\\Allaire\\ColdFusion\\CurrentVersion";
inline const std::string kJvmKey = kServerKey + "\\JVM";
inline const std::string kTagsKey = kServerKey + "\\CustomTags";
inline const std::string kRuntimesKey = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
inline const std::string kStopCommand = "start net stop \"Cold Fusion Application Server\"";
inline const std::string kStartCommand = "start net start \"Cold Fusion Application Server\"";

class Scenario : public RegistryTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the package's files; license is left out when empty.
    void WritePackage(const std::string& installConf, const std::string& license = "The licence.\r\n");
    // Runs the program to its end.
    void RunWizard();

    // Steps that every road takes.
    void AgreeToLicence();
    void AcceptJvmPage();

    std::string Package(const std::string& relative = {}) const
    {
        return m_root.Path(relative.empty() ? "pkg" : "pkg\\" + relative);
    }

    TempFolder m_root;
    std::unique_ptr<CurrentDirectoryScope> m_inPackage;
    ScriptedHost m_host;
};

// The sample Java package: a tag, a folder of examples to copy, a class path and a restart.
std::string JavaPackageConf();
