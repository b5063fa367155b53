#pragma once
// The dataset base: a named component that can be opened, moved through and read by field name.
// A dataset tells the components that asked for it when it is destroyed, so they can forget it.
#include "db/NullableRef.h"
#include "db/TField.h"
#include "platform/Component.h"

#include <string>
#include <vector>

class TDataSet : public Component {
public:
    explicit TDataSet(std::string name = {}, Component* owner = nullptr);
    ~TDataSet() override;

    virtual void Open() = 0;
    virtual void Close() = 0;
    virtual bool Active() const = 0;
    void SetActive(bool value) { value ? Open() : Close(); }

    // Moves return whether they landed on a row: First and Last not IsEmpty, Next not Eof,
    // Prior not Bof. Moving a closed dataset throws.
    virtual bool First() = 0;
    virtual bool Next() = 0;
    virtual bool Prior() = 0;
    virtual bool Last() = 0;
    // Returns the number of rows actually moved, negative backwards.
    virtual int MoveBy(int distance) = 0;
    virtual bool Eof() const = 0;
    virtual bool Bof() const = 0;
    virtual bool IsEmpty() const = 0;
    virtual int RecordCount() const = 0;

    // keyFields: names separated by ";", one value per name. True when a matching row was found
    // and made current; otherwise the current row stays.
    virtual bool Locate(const std::string& keyFields, const std::vector<std::string>& values,
                        bool caseInsensitive, bool partialKey) = 0;

    // A dataset's own FieldByName throws DbError naming a missing field.
    virtual NullableRef<TField> FieldByName(const std::string& name) = 0;
    // nullptr when there is no such field.
    virtual TField* FindField(const std::string& name) = 0;
    virtual int FieldCount() const = 0;
    virtual std::vector<TField*> Fields() const = 0;

    // Asks to be told (through Notification) when this dataset is destroyed.
    void FreeNotification(TDataSet* listener);
    void RemoveFreeNotification(TDataSet* listener);

protected:
    // Called on listeners while `removed` is being destroyed.
    virtual void Notification(TDataSet* removed) { (void)removed; }

private:
    std::vector<TDataSet*> listeners_;
};
