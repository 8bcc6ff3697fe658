#pragma once

// A small country file for the filter tests, and a way to put it on disk.

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace countrytext {

// A few records in the common country-file layout, with a whole-call entry
// that moves a call to another continent, a prefix list over two lines, call
// areas on two continents, whole calls listed twice and prefixes in another
// CQ zone than their country's.
inline const std::string Countries =
    "Canary Islands:           33:  36:  AF:   28.32:    15.85:     0.0:  EA8:\n"
    "    AM8,AN8,AO8,EA8,EB8,EC8,ED8,EE8,EF8,EG8,EH8;\n"
    "Spain:                    14:  37:  EU:   40.37:     4.88:    -1.0:  EA:\n"
    "    AM,AN,AO,EA,EB,EC,ED,EE,EF,EG,EH;\n"
    "Fed. Rep. of Germany:     14:  28:  EU:   51.00:   -10.00:    -1.0:  DL:\n"
    "    DA,DB,DC,DD,DE,DF,DG,DH,DI,DJ,DK,DL,DM,DN,DO,DP,DQ,DR;\n"
    "Anguilla:                 08:  11:  NA:   18.23:    63.00:     4.0:  VP2E:\n"
    "    VP2E;\n"
    "United States:            05:  08:  NA:   37.53:    91.67:     5.0:  K:\n"
    "    AA,K,N,W,K0(4)[7],W6(3)[6],\n"
    "    =KH6ABC(31)[61]<21.0/157.0>{OC}~10.0~,=K1DUP;\n"
    "Scotland:                 14:  27:  EU:   56.82:     4.18:     0.0:  GM:\n"
    "    GM,MM,=K1DUP,=DL1DUP;\n"
    "European Russia:          16:  29:  EU:   53.65:   -41.37:    -4.0:  UA:\n"
    "    R,UA;\n"
    "Asiatic Russia:           17:  30:  AS:   55.88:   -84.08:    -7.0:  UA9:\n"
    "    R9,R0(19)[33],UA9,UA0(19)[33],=DL1DUP;\n";

// The file, written once per test program under a name of its own.
inline const std::string& CountryFilePath() {
    static const std::string path = [] {
        const std::string p = "/tmp/sw-cty-" + std::to_string(::getpid()) + ".dat";
        std::ofstream(p) << Countries;
        return p;
    }();
    return path;
}

} // namespace countrytext
