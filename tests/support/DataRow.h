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

// The columns of a data-driven test: a type and a name each, in order.
template <class... Types, class... Names> void columns(const Names&... names)
{
    static_assert(sizeof...(Types) == sizeof...(Names));
    (QTest::addColumn<Types>(names), ...);
}

} // namespace jftest
