// A C locale under which the C library folds 0xE9 ('é' in Latin-1 and Windows-1252) to 0xC9, set
// for the life of the object and then taken back: where an ASCII-only comparison would go wrong
// if it leaned on the C library. Machines without such a locale get none (Active() is false).
#pragma once

#include <cctype>
#include <clocale>
#include <initializer_list>
#include <string>

class FoldingLocale {
public:
    FoldingLocale()
        : m_before(std::setlocale(LC_ALL, nullptr))
    {
        // Not a constant: the compiler folds toupper of one as the C locale would.
        volatile int e9 = 0xE9;
        for (const char* name : { "en_US.ISO-8859-1", "en_US.iso88591", "de_DE.ISO-8859-1",
                 "fr_FR.ISO-8859-1", "English_United States.1252", ".1252" }) {
            if (std::setlocale(LC_ALL, name) && std::toupper(e9) == 0xC9) {
                m_name = name;
                return;
            }
        }
        std::setlocale(LC_ALL, m_before.c_str());
    }
    ~FoldingLocale() { std::setlocale(LC_ALL, m_before.c_str()); }
    FoldingLocale(const FoldingLocale&) = delete;
    FoldingLocale& operator=(const FoldingLocale&) = delete;

    bool Active() const { return !m_name.empty(); }
    const std::string& Name() const { return m_name; }

private:
    std::string m_before;
    std::string m_name;
};
