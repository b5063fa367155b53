#pragma once
// The few moves every look-up and insert of the engine makes through a query object: replace the
// statement, set parameters by name, open, read a field of the first row.
#include <initializer_list>
#include <string>
#include <utility>

class TEQuery;
class IBStoredProc;

namespace query_steps {

using TextParam = std::pair<const char*, std::string>;

// Sets the statement, its parameters as text, and opens it.
void OpenLookup(TEQuery& query, const std::string& sql, std::initializer_list<TextParam> params);
// A field of the current row; a look-up without rows reads "" and 0. A column the statement
// does not give raises an error naming it.
std::string FieldText(TEQuery& query, const std::string& name);
int FieldInteger(TEQuery& query, const std::string& name);

// Runs an identifier procedure and returns its output G.
int NextIdentifier(IBStoredProc& proc, const std::string& procedureName);

} // namespace query_steps
