#pragma once

#include <QString>

namespace parlowind {

// Replaces every case-insensitive occurrence of `search` in `text` with
// `replacement`, left to right. No word boundaries: "cat" matches inside
// "concatenate". Replaced text is not searched again, so a replacement that
// contains its own search string cannot loop. A match never splits a
// user-perceived character (an "e" does not match the start of "e" plus a
// combining accent). An empty search string changes nothing.
//
// Occurrences of `keep` (any case) are left whole: a match lying inside a
// longer occurrence of it is skipped. The dictionary passes the term itself,
// so "PostgreSQL" heard as "postgres" does not turn a correctly heard
// "PostgreSQL" into "PostgreSQLSQL", while "github" still becomes "GitHub".
QString replacingCaseInsensitive(const QString &text, const QString &search, const QString &replacement,
                                 const QString &keep = {});

} // namespace parlowind
