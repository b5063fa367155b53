#pragma once
// The base of a test suite that shares one fresh database among its tests:
//
//     class MyTest : public DatabaseTest {
//     protected:
//         static void SetUpTestSuite() { CreateDatabase("insert into AFA ... ;"); }
//     };
//
// The database is dropped after the suite's last test; what a test leaves uncommitted on Tr()
// is rolled back after it.
#include "fixtures/TestDatabase.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

class DatabaseTest : public ::testing::Test {
protected:
    // Creates the database, with the accounting schema unless told otherwise, and runs script
    // (reference rows, tables of the suite's own) on it.
    static void CreateDatabase(const std::string& script = {}, bool applySchema = true) {
        db_ = std::make_unique<TestDatabase>(applySchema);
        if (!script.empty()) db_->Execute(script);
    }
    static void SetUpTestSuite() { CreateDatabase(); }
    static void TearDownTestSuite() { db_.reset(); }
    void TearDown() override {
        if (db_ && db_->Tr().InTransaction()) db_->Tr().Rollback();
    }

    inline static std::unique_ptr<TestDatabase> db_;
};
