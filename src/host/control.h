#pragma once
// Controls of the forms runtime. Each is a headless model that owns its state;
// views mirror it. A value written by code raises no notification; the User...
// entry points stand for a person's input and raise the notifications.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/instrument_info.h"
#include "host/param_set.h"
#include "host/types.h"
#include "host/variant.h"

namespace host {

enum class ControlKind {
    Frame,
    Panel,  // picture box
    KVEntry,
    KVPicButton,
    KVSpread,
    UCORVE,
    ContextMenu,
    MenuItem,
    CommandButton,
    OptionButton,
};

// A designed property: persisted name and value.
using DesignedProps = std::vector<std::pair<std::string, Variant>>;

// One control of a page or form, as designed.
struct ControlDesc {
    std::string name;
    std::int32_t index = -1;  // control-array index; -1 outside an array
    ControlKind kind = ControlKind::Panel;
    std::string parent;  // name of the container; empty for the form itself
    Rect rect;
    std::int32_t tabIndex = 0;
    DesignedProps props;
};

class ORVE_API Control {
  public:
    virtual ~Control() = default;
    virtual ControlKind Kind() const = 0;
    virtual std::string Name() const = 0;
    // Raises host::Error for a control outside a control array.
    virtual std::int32_t ArrayIndex() const = 0;
    virtual bool InArray() const = 0;
    virtual std::string ParentName() const = 0;
    virtual Rect Geometry() const = 0;
    virtual void SetGeometry(const Rect& r) = 0;
    virtual void SetLeft(std::int32_t v) = 0;
    virtual void SetTop(std::int32_t v) = 0;
    virtual void SetWidth(std::int32_t v) = 0;
    virtual void SetHeight(std::int32_t v) = 0;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool v) = 0;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool v) = 0;
    // Properties by persisted name, ignoring case; raises for an unknown property.
    virtual Variant Property(const std::string& name) const = 0;
    virtual void SetProperty(const std::string& name, const Variant& v) = 0;
    // Late-bound call by name; false when the control has no such operation.
    virtual bool CallByName(const std::string& operation) = 0;
    // Registers a listener for any state change (views repaint from it).
    virtual void OnStateChanged(std::function<void()> listener) = 0;
};

class ORVE_API KVEntry : public virtual Control {
  public:
    virtual Variant Value() const = 0;
    virtual void SetValue(const Variant& v) = 0;
    virtual std::string Range() const = 0;
    virtual void SetRange(const std::string& range) = 0;
    virtual std::int32_t CtrlType() const = 0;
    virtual std::int32_t DataType() const = 0;
    virtual std::string Id() const = 0;
    virtual void SetId(const std::string& id) = 0;
    // Its parameter definition; the ID is the entry's id.
    virtual ParamDef Definition() const = 0;
    // True when the value converts to its data type and lies in its range.
    virtual bool IsValid() const = 0;
    virtual void OnValueChanged(std::function<void()> handler) = 0;
    // A person's edit: stores the value, then raises the value-changed notification.
    virtual void UserSetValue(const Variant& v) = 0;
};

class ORVE_API KVPicButton : public virtual Control {
  public:
    virtual void OnClick(std::function<void()> handler) = 0;
    // Raises the click when the button is enabled and visible.
    virtual void UserClick() = 0;
};

class ORVE_API KVSpread : public virtual Control {
  public:
    virtual std::int32_t RowCount() const = 0;
    virtual void SetRowCount(std::int32_t n) = 0;
    virtual std::int32_t ColumnCount() const = 0;
    virtual void SetColumnCount(std::int32_t n) = 0;
    // Cells (column, row) from 1; outside the grid raises host::Error.
    virtual Variant Cell(std::int32_t col, std::int32_t row) const = 0;
    virtual void SetCell(std::int32_t col, std::int32_t row, const Variant& v) = 0;
    virtual std::string RowCaption(std::int32_t row) const = 0;
    virtual void SetRowCaption(std::int32_t row, const std::string& caption) = 0;
    virtual std::int32_t ActiveRow() const = 0;  // 0 or less when none
    virtual void InsertRow(std::int32_t row) = 0;
    virtual void DeleteRow(std::int32_t row) = 0;
    virtual void SetColumnRange(std::int32_t col, const std::string& range) = 0;
    virtual ParamDef ColumnDef(std::int32_t col) const = 0;
    virtual std::shared_ptr<ParamDefList> ColumnDefs() const = 0;
    virtual std::int32_t ColumnWidth(std::int32_t col) const = 0;
    // No columns and no rows afterwards.
    virtual void Reset() = 0;
    // The grid keeps its own copy of the definition.
    virtual void AddColumn(const ParamDef& def, std::int32_t width) = 0;
    virtual void MenuCommand(const std::string& command) = 0;
    virtual void Command() = 0;
    // Tab-separated text with a header row of captions, written atomically; 0 on success.
    virtual Status SaveToFile(const std::string& path) = 0;
    // True when v is acceptable in that column (type and range, when validate is set).
    virtual bool Accepts(std::int32_t col, const Variant& v) const = 0;

    virtual void OnRowSelected(std::function<void(std::int32_t)> handler) = 0;
    virtual void OnCellChanged(std::function<void(std::int32_t, std::int32_t)> handler) = 0;
    virtual void OnCommand(std::function<void()> handler) = 0;
    virtual void OnSaveRequest(std::function<void()> handler) = 0;
    // A person selects a row (0 clears the selection); raises row-selected.
    virtual void UserSelectRow(std::int32_t row) = 0;
    // A person edits a cell; raises host::Error with the reason when refused,
    // else stores it and raises cell-changed.
    virtual void UserEditCell(std::int32_t col, std::int32_t row, const Variant& v) = 0;
    // The grid's own popup menu: command item and save item.
    virtual void UserCommand() = 0;
    virtual void UserSaveRequest() = 0;
};

class ORVE_API UCORVE : public virtual Control {
  public:
    virtual void Reset() = 0;
    virtual void LoadSetup(const ParamSet& setup) = 0;
    virtual std::shared_ptr<ParamSet> CurrentSetup() const = 0;
    virtual void SetSetupValue(const std::string& key, const Variant& v) = 0;
    virtual void SetInstrumentInfo(std::shared_ptr<InstrumentInfo> info) = 0;
    virtual void Update() = 0;
    virtual void SetSetupDescription(std::shared_ptr<ParamDefList> desc) = 0;
    virtual void SetMode(std::int32_t mode) = 0;
    virtual std::int32_t Mode() const = 0;
    virtual void Localize() = 0;
    virtual void OnSetupChanged(std::function<void()> handler) = 0;
    // A person edits one setup value in the display; raises setup-changed.
    virtual void UserEditValue(const std::string& key, const Variant& v) = 0;
};

class ORVE_API Panel : public virtual Control {
  public:
    // button: 1 left, 2 right, 4 middle; x, y in twips.
    virtual void OnMouseDown(
        std::function<void(std::int32_t, std::int32_t, std::int32_t)> handler) = 0;
    virtual void UserMouseDown(std::int32_t button, std::int32_t x, std::int32_t y) = 0;
};

class ORVE_API MenuItem : public virtual Control {
  public:
    virtual void OnClick(std::function<void()> handler) = 0;
    virtual void UserClick() = 0;
};

class ORVE_API ContextMenu : public virtual Control {
  public:
    virtual void AddItem(std::shared_ptr<MenuItem> item) = 0;
    virtual std::vector<std::shared_ptr<MenuItem>> Items() const = 0;
    // Opens the menu at (x, y) twips; the host's menu presenter decides what is chosen.
    virtual void Popup(std::int32_t x, std::int32_t y) = 0;
    virtual std::int32_t PopupCount() const = 0;
};

class ORVE_API CommandButton : public virtual Control {
  public:
    virtual void OnClick(std::function<void()> handler) = 0;
    virtual void UserClick() = 0;
};

class ORVE_API OptionButton : public virtual Control {
  public:
    virtual bool Value() const = 0;
    virtual void SetValue(bool v) = 0;
    virtual void UserSelect() = 0;  // selects this one and clears its siblings in the group
    virtual void OnClick(std::function<void()> handler) = 0;
};

}  // namespace host
