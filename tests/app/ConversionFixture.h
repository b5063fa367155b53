#pragma once
// What the tests of both conversions share: an exchange folder, the window's table object for
// the work posting table, and a view that must stay silent.
#include "fixtures/ScriptedView.h"
#include "fixtures/TempDir.h"
#include "platform/DbfTable.h"

#include <gtest/gtest.h>

class ConversionFixture : public ::testing::Test {
protected:
    // A conversion neither asks nor tells the operator anything.
    void TearDown() override {
        EXPECT_TRUE(view.Dialogs.empty());
        EXPECT_TRUE(view.MessageBoxes.empty());
        EXPECT_TRUE(view.InputQueries.empty());
    }

    // Opens a table of the exchange folder, or of its archive folder, for reading.
    void OpenInExchange(DbfTable& t, const std::string& name, const std::string& folder = {}) {
        t.FolderName = exchange + folder;
        t.TableName = name;
        t.Open();
    }

    std::string S(DbfTable& t, const char* column) { return t.FieldByName(column).AsString(); }

    TempDir dir;
    std::string exchange = dir.Folder();
    ScriptedView view;
    DbfTable Dbf1{"Dbf1"};
};
