#include "platform/kvdova/method_object.h"

#include "doc_samples.h"

namespace kvdova {
namespace {

using test::Def;
using test::ExpectError;

TEST(MethodObject, ResizingATableKeepsTheCellsThatRemain) {
    MethodObject m;
    m.SetTableCount(1);
    m.SetColumnCount(1, 2);
    m.SetRowCount(1, 2);
    m.SetCell(1, 1, 1, 1.0);
    m.SetCell(1, 2, 2, 4.0);
    m.SetColumnDef(1, 2, Def("EmPos"));

    m.SetColumnCount(1, 4);
    m.SetRowCount(1, 3);
    EXPECT_EQ(m.Cell(1, 1, 1), host::Variant(1.0));
    EXPECT_EQ(m.Cell(1, 2, 2), host::Variant(4.0));
    EXPECT_EQ(m.ColumnDef(1, 2).id, "EmPos");
    EXPECT_TRUE(m.Cell(1, 4, 3).IsEmpty());

    m.SetColumnCount(1, 1);
    m.SetColumnCount(1, 2);
    EXPECT_TRUE(m.Cell(1, 2, 2).IsEmpty());  // a dropped column does not come back
    EXPECT_EQ(m.Cell(1, 1, 1), host::Variant(1.0));
}

TEST(MethodObject, CellsOutsideTheTablesRaiseNamingWhatIsMissing) {
    MethodObject m;
    ExpectError([&] { m.RowCount(1); }, {"table 1", "there are none"});
    m.SetTableCount(1);
    m.SetColumnCount(1, 4);
    ExpectError([&] { m.Cell(1, 1, 1); }, {"table 1 row 1"});
    m.SetRowCount(1, 2);
    ExpectError([&] { m.Cell(1, 5, 1); }, {"table 1 column 5", "1 to 4"});
    ExpectError([&] { m.SetCell(2, 1, 1, 0); }, {"table 2"});
    ExpectError([&] { m.ColumnDef(1, 0); }, {"column 0"});
    ExpectError([&] { m.SetRowCount(1, -1); }, {"negative"});
    ExpectError([&] { m.SetRowCount(1, kMaxCount); }, {"exceed"});
    EXPECT_EQ(m.RowCount(1), 2);
    m.SetInstrumentCount(1);
    ExpectError([&] { m.SetInstrument(1, nullptr); }, {"instrument 1"});
}

}  // namespace
}  // namespace kvdova
