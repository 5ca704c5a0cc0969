#pragma once

#include <QTest>

#include <utility>

namespace jftest {

// One row of a data-driven test: its name, then a cell for each column in
// the order the columns were added.
template <class... Cells> void row(const char* name, Cells&&... cells)
{
    (QTest::newRow(name) << ... << std::forward<Cells>(cells));
}

} // namespace jftest
