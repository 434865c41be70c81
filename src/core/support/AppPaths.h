#pragma once

#include <QString>

namespace parlowind {

// Where Parlowind keeps its files, following the XDG base directories. Every
// call reads the environment afresh, so tests can point it elsewhere.
namespace AppPaths {

// "$XDG_DATA_HOME/Parlowind": dictionary, shortcuts, LLM settings, history,
// meetings and models.
QString supportDirectory();

// "$XDG_STATE_HOME/Parlowind": the log files.
QString logsDirectory();

// "$XDG_CONFIG_HOME/Parlowind/Parlowind.conf": the preferences.
QString settingsFile();

// A file or folder below supportDirectory().
QString supportPath(const QString &relative);

} // namespace AppPaths
} // namespace parlowind
