#include "app/ConvertedTable.h"

#include "app/TF_INView.h"
#include "platform/DbfTable.h"
#include "platform/FileSystem.h"

#include <stdexcept>

void ConvertedTable::OpenEmptied(DbfTable& Dbf1, const std::string& exchangeFolder) {
    Dbf1.Close();
    Dbf1.FolderName = exchangeFolder + "in_arch\\";
    Dbf1.TableName = "Feladas.dbf";
    Dbf1.Open();
    Dbf1.EmptyTable();
    Dbf1.Close();
    Dbf1.Open();
}

std::vector<std::string> ConvertedTable::HandOver(TF_INView& view,
                                                  const std::string& exchangeFolder,
                                                  const std::string& output,
                                                  const std::string& source) {
    const std::string work = exchangeFolder + "in_arch\\feladas.dbf";
    const std::string target = exchangeFolder + output;
    // The source goes only once its postings are safely out: a lost copy would lose it.
    if (!fs_win::CopyFile(work, target))
        throw std::runtime_error("Cannot copy " + work + " to " + target + "; " + source +
                                 " is kept");
    view.ShowWorkList({});
    fs_win::DeleteFile(source);
    return fs_win::ListEntries(exchangeFolder, output);
}
