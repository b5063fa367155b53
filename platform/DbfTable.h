#pragma once
// A dBase III/IV table (columns C, N, F, D, L) reached by a Windows-style folder and a table
// name, read record by record and appended to, through shapelib. Text stays Windows-1250.
#include "platform/Component.h"
#include "platform/DbfField.h"
#include "platform/FormatSettings.h"

#include <memory>
#include <string>
#include <vector>

class DbfTable : public Component {
public:
    explicit DbfTable(std::string name = {}, Component* owner = nullptr);
    ~DbfTable() override;

    // The table is the file FolderName + TableName; a missing closing backslash is supplied.
    // Letter case of the names does not matter.
    std::string FolderName;
    std::string TableName;
    // Conversions between text and numbers or dates.
    FormatSettings Settings = FormatSettings::Default();

    std::string FullName() const;

    // Opens the table on its first record that is not deleted. Throws std::runtime_error naming
    // the file when it is missing, not a dBase table, or shorter than its header announces, and
    // when TableName is no plain name of FolderName or names a symbolic link.
    void Open();
    // Drops a record being appended. Throws WriteError when a write to the table failed at the
    // end; the table is closed all the same.
    void Close();
    bool Active() const { return handle_ != nullptr; }

    // Column names in their order in the table.
    const std::vector<std::string>& FieldNames() const { return fieldNames_; }
    // Finds a column without regard to letter case; throws "Field 'NAME' not found".
    DbfField& FieldByName(const std::string& name);
    // Null when the table has no such column.
    DbfField* FindField(const std::string& name);

    // Records marked deleted are skipped and not counted.
    void First();
    void Next();
    bool Eof() const { return eof_; }
    int RecordCount() const { return recordCount_; }

    // Removes every record, keeping the columns.
    void Zap();
    void EmptyTable() { Zap(); }
    // Starts a blank record at the end; Post stores it, Cancel drops it. A Post that cannot
    // write throws WriteError with the table closed and cut back to the records before it.
    void Append();
    void Post();
    void Cancel();
    bool Appending() const { return appending_; }

private:
    friend class DbfField;

    struct Closer {
        void operator()(void* handle) const;
    };

    void OpenResolved();
    // After a failed write: closes the table and cuts the file back to the records it held
    // before, with a header that says so, so it can still be opened.
    void CutBack();
    void RequireActive(const char* operation) const;
    void RequireWritable(const char* operation) const;
    void Load(int physical);
    // Moves to the first record not deleted from this physical one on, or to the end.
    void Seek(int fromPhysical);
    // The record a field reads, and the one it writes (only while appending).
    const std::string& CurrentRecord() const { return record_; }
    std::string& EditRecord(const std::string& fieldName);

    std::unique_ptr<void, Closer> handle_;
    bool readOnly_ = false;
    std::string shownName_; // as the program names it, for messages
    std::string hostPath_;
    std::string head_; // the file's first 32 bytes when it was opened
    int headerLength_ = 0;
    int recordLength_ = 0;
    int physicalCount_ = 0;
    int recordCount_ = 0;
    int position_ = -1;
    bool eof_ = true;
    bool appending_ = false;
    std::string record_;
    std::vector<std::string> fieldNames_;
    std::vector<std::unique_ptr<DbfField>> fields_;
};
