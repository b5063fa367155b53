#pragma once
// The settings of the query components' SQL log, one object for a window and the queries it
// owns. A query logs only when it was given the settings and is owned, through any chain of
// owners, by their Application object.
#include "platform/Component.h"
#include "platform/DateTime.h"

#include <functional>
#include <string>

class SqlLogSettings {
public:
    explicit SqlLogSettings(Component* application = nullptr);

    // The object that owns the main window.
    Component* Application;
    // Folder of the running program; defaults to the folder of the executable.
    std::string ExeFolder;
    // The log folder the build names for an installed program (INZEFOR_SQL_LOG_FOLDER), whose
    // own folder no one may write; empty: the log folder is beside the program.
    std::string InstalledFolder;
    // Inserted into every log file name before ".log".
    std::string ExecSqlLogSuffix;
    // When not blank: run after each logged statement, its "RCNT" column logged.
    std::string ExecSqlCountSql;
    int ExecSqlLastCount = 0;
    // The clock of the log's time stamps.
    std::function<datetime::TDateTime()> LogClock = [] { return datetime::Now(); };

    // The log folder of a component with this owner: InstalledFolder, or else
    // "<ExeFolder>\Logs\ExecSql\", when the owner chain reaches Application, empty (no logging)
    // otherwise.
    std::string LogFolderFor(const Component* owner) const;
};
