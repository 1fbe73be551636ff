// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace qm {

class SettingsStore;
class Toolkit;

// What the program's parts share, made once by main() (or by a test world) and passed down, so
// that nothing of it hides in globals.
struct Context
{
    Toolkit &toolkit;
    SettingsStore &settings;
    QString applicationFolder;   // Samples, the hand cursor and the skin
    QString toolSource;          // file holding the splitting tool; empty: the program's resource
    int walkTurnIntervalMs = 10; // folder walks let the window run at most this often (0: always)
    QString unzipLibrary{};      // archive library file; empty: libunzip32.so beside the program
    int splitJobs = 0;           // archives the window splits at once; 0: one per core
    int notifyAfterMs = 10000;   // a run this long says so on the desktop when it ends unseen
};

} // namespace qm
