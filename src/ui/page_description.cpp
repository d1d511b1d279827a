#include "ui/page_description.h"

#include <string>

namespace ui {
namespace {

using host::ControlDesc;
using host::ControlKind;
using host::DesignedProps;
using host::Variant;

constexpr const char* kFont = "Tahoma, 9pt";
constexpr const char* kFontBold = "Tahoma, 9pt, bold";

ControlDesc Desc(const char* name, ControlKind kind, const char* parent, int left, int top,
                 int width, int height, int tab, DesignedProps props = {}, int index = -1) {
    ControlDesc d;
    d.name = name;
    d.index = index;
    d.kind = kind;
    d.parent = parent;
    d.rect = {left, top, width, height};
    d.tabIndex = tab;
    d.props = std::move(props);
    return d;
}

// Properties every setup entry shares.
DesignedProps Entry(const char* caption, const char* range, const char* unit, const char* outformat,
                    int datatype, int ctrltype, int labelwidth, bool locked = false,
                    bool leftaligned = true, const char* font = kFont) {
    return {{"caption", caption},
            {"range", range},
            {"unit", unit},
            {"outformat", outformat},
            {"datatype", datatype},
            {"ctrltype", ctrltype},
            {"labelwidth", labelwidth},
            {"leftaligned", leftaligned},
            {"labelbold", true},
            {"locked", locked},
            {"enabled", true},
            {"forcevalid", false},
            {"isformula", false},
            {"maxlength", 0},
            {"interval", ""},
            {"tooltiptext", ""},
            {"description", ""},
            {"id", ""},
            {"font", font}};
}

DesignedProps Button(const char* caption, const char* picture, int picleft, int labelleft,
                     const char* font = kFontBold) {
    return {{"caption", caption},     {"picture", picture}, {"picleft", picleft},
            {"labelleft", labelleft}, {"enabled", true},    {"font", font}};
}

// One designed grid column, as the grid persists it.
void Column(DesignedProps& p, int c, const char* id, const char* name, const char* unit,
            int vartype, int width, bool locked, bool removable) {
    auto key = [c](const char* prop) { return "col(" + std::to_string(c) + ")." + prop; };
    p.push_back({key("id"), id});
    p.push_back({key("vartype"), vartype});
    p.push_back({key("ctltype"), host::kCtrlEdit});
    p.push_back({key("width"), width});
    p.push_back({key("name"), name});
    p.push_back({key("unit"), unit});
    p.push_back({key("range"), ""});
    p.push_back({key("outformat"), ""});
    p.push_back({key("description"), ""});
    p.push_back({key("locked"), locked});
    p.push_back({key("removable"), removable});
    p.push_back({key("allowsort"), false});
    p.push_back({key("visible"), true});
}

DesignedProps ResultGrid() {
    DesignedProps p{{"borderstyle", 0},
                    {"appearance", 0},
                    {"enablepopup", true},
                    {"popupcode", 72},
                    {"allowselectcols", false},
                    {"allowselectrows", false},
                    {"allowselectmultirows", false},
                    {"displayrowcaption", false},
                    {"validate", true},
                    {"font", kFont},
                    {"captionbold", false},
                    {"captioncolor", kButtonFaceColor},
                    {"backcolorbg", kBackColor},
                    {"nrcols", 1},
                    {"extendedcol", 0}};
    Column(p, 1, "SampleID", "Sample ID", "", host::kTypeText, 2500, true, false);
    return p;
}

DesignedProps PositionGrid() {
    DesignedProps p{{"borderstyle", 1},
                    {"appearance", 0},
                    {"enablepopup", true},
                    {"popupcode", 32},
                    {"allowselectcols", true},
                    {"allowselectrows", true},
                    {"allowselectmultirows", false},
                    {"displayrowcaption", true},
                    {"validate", true},
                    {"font", kFont},
                    {"captionbold", true},
                    {"captioncolor", kButtonFaceColor},
                    {"backcolorbg", kBackColor},
                    {"nrcols", 4},
                    {"extendedcol", 4}};
    Column(p, 1, "ExPos", "X-Pos", "mm", host::kTypeNumber, 1200, false, false);
    Column(p, 2, "EmPos", "Y-Pos", "mm", host::kTypeNumber, 1200, false, false);
    Column(p, 3, "ExWL", "Ex.Wl", "nm", host::kTypeNumber, 1200, false, false);
    Column(p, 4, "EmWL", "Em.Wl", "nm", host::kTypeNumber, 1200, false, false);
    return p;
}

}  // namespace

std::vector<ControlDesc> SetupPageDescription() {
    using K = ControlKind;
    DesignedProps backColor{{"backcolor", kBackColor}};
    auto hideDetails = Button("Hide Details", "arrow-up", 60, 465);
    auto showDetails = Button("Show Details", "arrow-down", 60, 465);
    auto removePos = Button("Delete Pos", "arrow-right-out-of-list", 45, 495);
    removePos.push_back({"enabled", false});
    auto adjust = Button("Adjust Pos", "arrow-left-into-list", 45, 495);
    adjust.push_back({"enabled", false});

    std::vector<ControlDesc> page{
        Desc("PgSetup", K::Frame, "", 0, 0, 12885, 8460, 0, backColor),
        Desc("KVPHideDetails", K::KVPicButton, "PgSetup", 10305, 4935, 1845, 345, 15, hideDetails),
        Desc("KVPShowDetails", K::KVPicButton, "PgSetup", 10305, 5295, 1845, 345, 16, showDetails),
        Desc("PnlResult", K::Panel, "PgSetup", -30, 0, 12405, 2925, 1, backColor),
        Desc("KVSResult", K::KVSpread, "PnlResult", 0, 0, 12300, 2790, 2, ResultGrid()),
        Desc("PnlSetup", K::Panel, "PgSetup", -45, 2925, 12420, 1590, 3, backColor),
        Desc("KVPAddPos", K::KVPicButton, "PnlSetup", 150, 120, 1665, 375, 4,
             Button("Insert Pos", "arrow-left-into-list", 45, 495)),
        Desc("KVSScan", K::KVSpread, "PnlSetup", 1890, 120, 5775, 1305, 5, PositionGrid()),
        Desc("KVEExSlit", K::KVEntry, "PnlSetup", 7875, 135, 2070, 330, 6,
             Entry("Ex. Slit", "", "nm", "0.0", host::kTypeNumber, host::kCtrlEdit, 1250)),
        Desc("KVEGain", K::KVEntry, "PnlSetup", 10350, 135, 1935, 330, 7,
             Entry("Gain", "{Medium;Low;High;Custom}", "", "", host::kTypeText, host::kCtrlList,
                   900)),
        Desc("KVPRemovePos", K::KVPicButton, "PnlSetup", 150, 510, 1665, 375, 8, removePos),
        Desc("KVEEmSlit", K::KVEntry, "PnlSetup", 7875, 570, 2070, 330, 9,
             Entry("Em. Slit", "", "nm", "0.0", host::kTypeNumber, host::kCtrlEdit, 1250)),
        Desc("KVEAutoLamp", K::KVEntry, "PnlSetup", 10350, 585, 1935, 330, 10,
             Entry("Auto Lamp", "{On;Off}", "", "", host::kTypeText, host::kCtrlList, 1100)),
        Desc("KVEIntTime", K::KVEntry, "PnlSetup", 7875, 990, 2070, 330, 11,
             Entry("Int. Time", "", "s", "", host::kTypeNumber, host::kCtrlEdit, 1250)),
        Desc("KVPAdjust", K::KVPicButton, "PnlSetup", 180, 1035, 1665, 375, 12, adjust),
        Desc("PnlInst", K::Panel, "PgSetup", -30, 4785, 12435, 3585, 13, backColor),
        Desc("UCORVE", K::UCORVE, "PnlInst", 0, 0, 11775, 3435, 14),
        Desc("mnuPopUp", K::ContextMenu, "", 0, 0, 0, 0, 0,
             {{"caption", "PopUp"}, {"visible", false}}),
        Desc("mnuCopyMethod", K::MenuItem, "mnuPopUp", 0, 0, 0, 0, 0, {{"caption", "Copy Method"}}),
    };
    page[1].props.push_back({"visible", false});  // details start hidden
    return page;
}

std::vector<ControlDesc> AdjustDialogDescription() {
    using K = ControlKind;
    constexpr const char* kArrowFont = "Tahoma, 11.25pt, bold";
    auto arrow = [&](int index, const char* picture, int left, int top, int tab) {
        return Desc("KVPAlignWPR", K::KVPicButton, "", left, top, 405, 375, tab,
                    {{"caption", ""},
                     {"picture", picture},
                     {"picleft", 15},
                     {"labelleft", 0},
                     {"enabled", true},
                     {"font", kArrowFont}},
                    index);
    };
    auto option = [](int index, const char* caption, int top, int tab, bool selected) {
        return Desc("OptStep", K::OptionButton, "", 270, top, 1065, 255, tab,
                    {{"caption", caption}, {"value", selected}, {"font", kFontBold}}, index);
    };
    return {
        Desc("OKButton", K::CommandButton, "", 4185, 120, 1215, 375, 0,
             {{"caption", "OK"}, {"default", true}}),
        Desc("CancelButton", K::CommandButton, "", 4185, 600, 1215, 375, 1,
             {{"caption", "Cancel"}, {"cancel", true}}),
        arrow(2, "arrow-up", 2220, 1035, 2),
        Desc("KVEPosX", K::KVEntry, "", 285, 180, 1530, 315, 3,
             Entry("X-Pos", "", "", "0.000000", host::kTypeNumber, host::kCtrlEdit, 750, true, true,
                   kFontBold)),
        Desc("KVEPosY", K::KVEntry, "", 1980, 180, 1620, 315, 4,
             Entry("Y-Pos", "", "", "0.000000", host::kTypeNumber, host::kCtrlEdit, 750, true, true,
                   kFontBold)),
        arrow(3, "arrow-right", 2640, 1395, 5),
        arrow(4, "arrow-down", 2250, 1755, 6),
        arrow(1, "arrow-left", 1830, 1395, 7),
        Desc("KVELampOn", K::KVEntry, "", 270, 810, 1395, 285, 8,
             Entry("White light", "{TRUE;FALSE}", "", "", host::kTypeBoolean, host::kCtrlCheck,
                   1200, false, false, kFontBold)),
        option(1, "0.2 mm", 1260, 9, true),
        option(3, "5 mm", 1890, 10, false),
        option(2, "1 mm", 1575, 11, false),
    };
}

}  // namespace ui
