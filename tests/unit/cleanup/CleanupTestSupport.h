#pragma once

#include "cleanup/CleanupStage.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList &list, std::ostream *os)
{
    *os << '[' << list.join(QStringLiteral("\", \"")).toStdString() << ']';
}

// Rows of "input → expected" tables for the cleanup stages. The name shows in
// the test's name, so a failing row says which rule broke.
struct StageCase
{
    const char *name;
    QString input;
    QString expected;
    parlowind::FillerAggressiveness level = parlowind::FillerAggressiveness::conservative;
};

inline void PrintTo(const StageCase &row, std::ostream *os)
{
    *os << row.name << ": \"" << row.input.toStdString() << "\"";
}

inline std::string stageCaseName(const ::testing::TestParamInfo<StageCase> &info)
{
    return info.param.name;
}

inline parlowind::CleanupContext contextFor(const StageCase &row)
{
    return parlowind::CleanupContext { row.level, 3.0 };
}
