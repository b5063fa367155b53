#include "posting/QuerySteps.h"

#include "db/IBStoredProc.h"
#include "db/TEQuery.h"

namespace query_steps {

void OpenLookup(TEQuery& query, const std::string& sql, std::initializer_list<TextParam> params) {
    query.SetSQLText(sql);
    for (const TextParam& param : params)
        query.ParamByName(param.first)->SetAsString(param.second);
    query.Open();
}

std::string FieldText(TEQuery& query, const std::string& name) {
    return query.FieldByName(name)->AsString();
}

int FieldInteger(TEQuery& query, const std::string& name) {
    return query.FieldByName(name)->AsInteger();
}

int NextIdentifier(IBStoredProc& proc, const std::string& procedureName) {
    proc.SetStoredProcName(procedureName);
    proc.ExecProc();
    return proc.ParamByName("G").AsInteger();
}

} // namespace query_steps
