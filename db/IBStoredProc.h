#pragma once
// The stored-procedure object (SP1): point it at a procedure by name, set its inputs by name,
// execute, read its outputs by name. The parameters come from the database's own description of
// the procedure.
#include "db/TParams.h"
#include "platform/Component.h"

#include <map>
#include <string>

class IBDatabase;
class IBTransaction;

class IBStoredProc : public Component {
public:
    IBStoredProc(IBDatabase& db, IBTransaction& tr, std::string name = {},
                 Component* owner = nullptr);

    const std::string& StoredProcName() const { return procName_; }
    // A new name drops the parameters of the old one.
    void SetStoredProcName(const std::string& name);

    // Inputs then outputs, in the procedure's order; read from the database on first use.
    TParams& Params();
    // Throws DbError naming the parameter, or the procedure when it does not exist.
    TParam& ParamByName(const std::string& name);
    // Runs the procedure with the inputs set and fills the outputs.
    void ExecProc();

    IBDatabase& Database() const { return db_; }
    IBTransaction& Transaction() const { return tr_; }

private:
    void Prepare();

    IBDatabase& db_;
    IBTransaction& tr_;
    std::string procName_;
    bool prepared_ = false;
    TParams params_;
    std::string statement_;
    // Parameters and statement of every procedure described so far: the posting engine switches
    // procedures for every row.
    std::map<std::string, std::pair<TParams, std::string>> described_;
};
