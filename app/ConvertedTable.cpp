#include "app/ConvertedTable.h"

#include "app/InputArchive.h"
#include "app/TF_INView.h"
#include "platform/CheckedPath.h"
#include "platform/DbfTable.h"
#include "platform/FileSystem.h"
#include "platform/WriteError.h"

void ConvertedTable::OpenEmptied(DbfTable& Dbf1, const std::string& exchangeFolder,
                                 const std::string& checkFolder) {
    Dbf1.Close();
    // Through the checked path, so an archive folder that is a link is refused, not emptied.
    Dbf1.FolderName =
        checkFolder.empty() ? CheckedPath(exchangeFolder).Find("in_arch").Text() : checkFolder;
    Dbf1.TableName = "Feladas.dbf";
    Dbf1.Open();
    Dbf1.EmptyTable();
    Dbf1.Close();
    Dbf1.Open();
}

std::vector<std::string> ConvertedTable::HandOver(TF_INView& view,
                                                  const std::string& exchangeFolder,
                                                  const std::string& output,
                                                  const std::string& source,
                                                  const std::string& checkFolder) {
    if (!checkFolder.empty()) {
        const CheckedPath check(checkFolder);
        fs_win::CopyNew(check.Entry("Feladas.dbf"), check.Entry(output));
        view.ShowWorkList({});
        return {output};
    }
    const CheckedPath exchange(exchangeFolder);
    const CheckedPath target = exchange.Entry(output);
    try {
        fs_win::CopyNew(exchange.Find("in_arch").Find("feladas.dbf"), target);
    } catch (const WriteError& e) {
        throw WriteError(std::string(e.what()) + "; " + source + " is kept");
    }
    view.ShowWorkList({});
    // A source left beside its converted table would be converted and posted once more.
    try {
        InputArchive(exchangeFolder).StorePosted(source);
    } catch (...) {
        fs_win::DeleteFile(target);
        throw;
    }
    return {output};
}
