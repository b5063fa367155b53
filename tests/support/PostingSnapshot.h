#pragma once
// What a database holds of postings, without identifiers, to compare two databases that posted
// the same input: every header with its journal's book and its customer's short name, every line
// with the place of its header, every customer and journal, in the order they were written.
#include <string>
#include <vector>

class TestDatabase;

std::vector<std::string> PostingSnapshot(TestDatabase& db);
