#include "platform/kvdova/param_set.h"

#include "doc_samples.h"
#include "platform/kvdova/param_def_list.h"
#include "platform/qnserver/data_packet.h"

namespace kvdova {
namespace {

using test::Def;
using test::ExpectError;

// Keeps only the first `keep` items written to it: a packet cut short.
class PrefixPacket : public qnserver::Packet {
  public:
    explicit PrefixPacket(std::size_t keep) : keep_(keep) {}
    void WriteCount(std::int32_t n) override {
        if (Take()) qnserver::Packet::WriteCount(n);
    }
    void WriteString(const std::string& v) override {
        if (Take()) qnserver::Packet::WriteString(v);
    }
    void WriteLong(std::int32_t v) override {
        if (Take()) qnserver::Packet::WriteLong(v);
    }
    void WriteValue(const host::Variant& v, std::int32_t type) override {
        if (Take()) qnserver::Packet::WriteValue(v, type);
    }
    void Clear() override {
        written_ = 0;
        qnserver::Packet::Clear();
    }

  private:
    bool Take() { return written_++ < keep_; }
    std::size_t keep_;
    std::size_t written_ = 0;
};

ParamSet ThreeParams() {
    ParamSet s;
    s.Add(Def("IntTime"), 0.5);
    s.Add(Def("LumMode", host::kTypeText), "Fluor");
    s.Add(Def("Lamp", host::kTypeBoolean), true);
    return s;
}

TEST(ParamSet, KeysMatchIgnoringCaseAndAbsentKeysAreNamed) {
    ParamSet s = ThreeParams();
    EXPECT_EQ(s.IndexOf("lummode"), 2);
    EXPECT_EQ(s.IndexOf("LUMMODE"), 2);
    EXPECT_EQ(s.IndexOf("Missing"), 0);
    EXPECT_EQ(s.ValueOf("inttime"), host::Variant(0.5));
    s.SetValueOf("LAMP", false);
    EXPECT_EQ(s.Value(3), host::Variant(false));

    ParamSet empty;
    ExpectError([&] { empty.ValueOf("LumMode"); }, {"parameter 'LumMode' not found"});
    ExpectError([&] { s.SetValueOf("Gain", 1); }, {"parameter 'Gain' not found"});
}

TEST(ParamSet, BadIndexesRaiseWithTheValidRange) {
    ParamSet s = ThreeParams();
    ExpectError([&] { s.Value(0); }, {"parameter 0", "1 to 3"});
    ExpectError([&] { s.Def(4); }, {"parameter 4"});
    ExpectError([&] { s.SetValue(-1, 1); }, {"parameter -1"});
    ExpectError([&] { ParamSet().Value(1); }, {"there are none"});
    ExpectError([&] { s.SetCount(-1); }, {"negative"});
}

TEST(ParamSet, DefinitionIsSharedWithTheEntryAndCopyIsDeep) {
    ParamSet s = ThreeParams();
    auto def = s.Def(2);
    def->range = "{Fluor;Phos}";
    EXPECT_EQ(s.Def(2)->range, "{Fluor;Phos}");
    s.SetDef(2, Def("Mode", host::kTypeText));
    EXPECT_EQ(def->id, "Mode");  // a definition handed out earlier stays the entry's

    auto copy = s.Copy();
    copy->Def(1)->caption = "changed";
    copy->SetValue(1, 9.0);
    EXPECT_EQ(s.Def(1)->caption, "IntTime caption");
    EXPECT_EQ(s.Value(1), host::Variant(0.5));
}

TEST(ParamSet, SetCountGrowsWithBlankEntriesAndShrinksFromTheEnd) {
    ParamSet s = ThreeParams();
    s.SetCount(5);
    EXPECT_EQ(s.Count(), 5);
    EXPECT_EQ(*s.Def(5), host::ParamDef{});
    EXPECT_TRUE(s.Value(5).IsEmpty());
    EXPECT_NE(s.Def(4), s.Def(5));  // each blank entry has its own definition
    s.SetCount(1);
    EXPECT_EQ(s.Count(), 1);
    EXPECT_EQ(s.Def(1)->id, "IntTime");
}

TEST(ParamSet, TakeValuesTakesOnlyMatchingKeys) {
    ParamSet s = ThreeParams();
    s.SetCount(4);  // a blank entry takes nothing, not even from another blank
    ParamSet other;
    other.Add(Def("LUMMODE", host::kTypeText), "Phos");
    other.Add(Def("Extra"), 1.0);
    other.SetCount(3);
    other.SetValue(3, "blank");
    s.TakeValues(other);
    EXPECT_EQ(s.Count(), 4);
    EXPECT_EQ(s.Value(1), host::Variant(0.5));
    EXPECT_EQ(s.Value(2), host::Variant("Phos"));
    EXPECT_TRUE(s.Value(4).IsEmpty());
    s.TakeValues(s);
    EXPECT_EQ(s.Value(2), host::Variant("Phos"));
}

TEST(ParamSetPacket, RoundTripKeepsDefinitionsAndValuesInTheirTypes) {
    ParamSet s = ThreeParams();
    s.Add(Def("When", host::kTypeDate), host::Date{45000.5});
    s.Add(Def("Gain"), "12.5");  // converted to the definition's type on the way
    qnserver::Packet packet;
    s.SaveTo(packet, 0);

    ParamSet loaded;
    loaded.LoadFrom(packet, 0);
    ASSERT_EQ(loaded.Count(), 5);
    for (std::int32_t i = 1; i <= 5; ++i) EXPECT_EQ(*loaded.Def(i), *s.Def(i)) << i;
    EXPECT_EQ(loaded.Value(1), host::Variant(0.5));
    EXPECT_EQ(loaded.Value(2), host::Variant("Fluor"));
    EXPECT_EQ(loaded.Value(3), host::Variant(true));
    EXPECT_EQ(loaded.Value(4), host::Variant(host::Date{45000.5}));
    EXPECT_EQ(loaded.Value(5), host::Variant(12.5));
}

TEST(ParamSetPacket, SavingIntoAUsedPacketCarriesTheSetOnly) {
    qnserver::Packet packet;
    packet.WriteCount(1);
    packet.WriteString("error table left-over");
    (void)packet.ReadCount();
    ThreeParams().SaveTo(packet, 0);
    ParamSet loaded;
    loaded.LoadFrom(packet, 0);
    EXPECT_EQ(loaded.Count(), 3);
}

TEST(ParamSetPacket, ValueThatDoesNotConvertIsRefusedBeforeThePacketIsTouched) {
    ParamSet s;
    s.Add(Def("Gain"), "high");
    qnserver::Packet packet;
    ThreeParams().SaveTo(packet, 0);
    const auto before = packet.Size();
    ExpectError([&] { s.SaveTo(packet, 0); }, {"parameter 'Gain'", "high"});
    EXPECT_EQ(packet.Size(), before);

    ParamSet unknownType;
    unknownType.Add(Def("Odd", 9), 1);
    ExpectError([&] { unknownType.SaveTo(packet, 0); }, {"'Odd'", "data type 9"});
}

TEST(ParamSetPacket, EveryTruncationIsRefusedAndLeavesTheSetUnchanged) {
    qnserver::Packet full;
    ThreeParams().SaveTo(full, 0);
    for (std::size_t keep = 0; keep < full.Size(); ++keep) {
        PrefixPacket cut(keep);
        ThreeParams().SaveTo(cut, 0);
        ParamSet s;
        s.Add(Def("Kept"), 1.0);
        EXPECT_THROW(s.LoadFrom(cut, 0), host::Error) << keep << " items";
        ASSERT_EQ(s.Count(), 1);
        EXPECT_EQ(s.Def(1)->id, "Kept");
    }
}

TEST(ParamSetPacket, WrongItemKindIsNamed) {
    qnserver::Packet wrongKind;
    wrongKind.WriteCount(1);
    wrongKind.WriteLong(5);  // a long where the ID string belongs
    ParamSet s = ThreeParams();
    ExpectError([&] { s.LoadFrom(wrongKind, 0); }, {"parameter set packet", "not a string"});
    EXPECT_EQ(s.ValueOf("LumMode"), host::Variant("Fluor"));
}

TEST(ParamDefListPacket, RoundTripAndLookupIgnoringCase) {
    ParamDefList list;
    list.Add(Def("ExSlit"));
    list.Add(Def("Voltage", host::kTypeText));
    qnserver::Packet packet;
    list.SaveTo(packet, 0);

    ParamDefList loaded;
    loaded.Add(Def("Old"));
    loaded.LoadFrom(packet, 0);
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(*loaded.Item(1), Def("ExSlit"));
    EXPECT_EQ(loaded.IndexOf("VOLTAGE"), 2);
    EXPECT_EQ(loaded.IndexOf("Old"), 0);
    loaded.Item(2)->range = "0..1000";
    EXPECT_EQ(loaded.Item(2)->range, "0..1000");
    ExpectError([&] { loaded.Item(3); }, {"definition 3"});

    PrefixPacket cut(5);
    list.SaveTo(cut, 0);
    EXPECT_THROW(loaded.LoadFrom(cut, 0), host::Error);
    EXPECT_EQ(loaded.Count(), 2);
}

}  // namespace
}  // namespace kvdova
