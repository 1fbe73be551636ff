// SPDX-License-Identifier: GPL-3.0-or-later
#include "Jobs.h"

namespace unzip32 {

namespace {

void testEntry(Session &session, zip_uint64_t index, const zip_stat_t &st)
{
    EntryPtr file = session.openEntry(index, st, st.name);
    if (!file)
        return;
    if (session.pump(file.get(), st.name, "    testing:", [](const char *, size_t) { return true; }))
        session.say(Level::Info, format("    testing: %-22s   OK", st.name));
}

} // namespace

void testEntries(Session &session, zip_uint64_t entries)
{
    session.forEachSelected(entries, [&](zip_uint64_t index, const zip_stat_t &st, bool folder) {
        if (!folder)
            testEntry(session, index, st);
    });
    const std::string &name = session.displayName();
    if (rank(session.code()) <= rank(PK_WARN))
        session.say(Level::Info, format("No errors detected in compressed data of %s.", name.c_str()));
    else
        session.say(Level::Error, format("At least one error was detected in %s.", name.c_str()));
}

} // namespace unzip32
