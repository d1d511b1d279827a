#pragma once
// What every control model shares: identity (name, control-array index,
// container), geometry in twips, visibility, enabling, designed properties by
// persisted name and the state-change listeners that views repaint from.
//
// Property and SetProperty know "caption", "left", "top", "width", "height",
// "visible", "enabled", "tabindex", the designed properties the kind declares
// and the run-time properties the kind adds (ReadSpecial / WriteSpecial).
// Unknown names and values that do not fit raise host::Error naming the
// control and the property (let pass). Any change of state calls the
// state-change listeners, whether it came from code or from a person.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/control.h"
#include "platform/controls/control_errors.h"
#include "platform/controls/property_store.h"
#include "platform/controls/signal.h"

namespace controls {

template <class Interface>
class ControlBase : public Interface {
  public:
    host::ControlKind Kind() const override { return kind_; }
    std::string Name() const override { return name_; }
    std::int32_t ArrayIndex() const override {
        if (index_ < 0) Raise(kErrArgument, "'{}' is not part of a control array", name_);
        return index_;
    }
    bool InArray() const override { return index_ >= 0; }
    std::string ParentName() const override { return parent_; }

    host::Rect Geometry() const override { return rect_; }
    void SetGeometry(const host::Rect& r) override {
        CheckExtent("width", r.width);
        CheckExtent("height", r.height);
        rect_ = r;
        Changed();
    }
    void SetLeft(std::int32_t v) override {
        rect_.left = v;
        Changed();
    }
    void SetTop(std::int32_t v) override {
        rect_.top = v;
        Changed();
    }
    void SetWidth(std::int32_t v) override {
        CheckExtent("width", v);
        rect_.width = v;
        Changed();
    }
    void SetHeight(std::int32_t v) override {
        CheckExtent("height", v);
        rect_.height = v;
        Changed();
    }

    bool Visible() const override { return visible_; }
    void SetVisible(bool v) override {
        visible_ = v;
        Changed();
    }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool v) override {
        enabled_ = v;
        Changed();
    }

    std::int32_t TabIndex() const { return tabIndex_; }
    void SetTabIndex(std::int32_t v) {
        tabIndex_ = v;
        Changed();
    }
    std::string Caption() const { return props_.Text("caption"); }
    void SetCaption(const std::string& caption) { SetProperty("caption", caption); }

    host::Variant Property(const std::string& name) const override {
        host::Variant v;
        if (ReadSpecial(name, v)) return v;
        if (host::IEquals(name, "left")) return rect_.left;
        if (host::IEquals(name, "top")) return rect_.top;
        if (host::IEquals(name, "width")) return rect_.width;
        if (host::IEquals(name, "height")) return rect_.height;
        if (host::IEquals(name, "visible")) return visible_;
        if (host::IEquals(name, "enabled")) return enabled_;
        if (host::IEquals(name, "tabindex")) return tabIndex_;
        return props_.Get(name);
    }

    void SetProperty(const std::string& name, const host::Variant& v) override {
        if (WriteSpecial(name, v)) {
            Changed();
            return;
        }
        if (host::IEquals(name, "left")) return SetLeft(Int(name, v));
        if (host::IEquals(name, "top")) return SetTop(Int(name, v));
        if (host::IEquals(name, "width")) return SetWidth(Int(name, v));
        if (host::IEquals(name, "height")) return SetHeight(Int(name, v));
        if (host::IEquals(name, "visible")) return SetVisible(Bool(name, v));
        if (host::IEquals(name, "enabled")) return SetEnabled(Bool(name, v));
        if (host::IEquals(name, "tabindex")) return SetTabIndex(Int(name, v));
        props_.Set(name, v);
        Changed();
    }

    // Only "ReleaseExtender" is known; the kinds that hold a host's handlers
    // answer true and let go of them, the others answer false.
    bool CallByName(const std::string& operation) override {
        if (host::IEquals(operation, "ReleaseExtender")) return ReleaseExtender();
        return false;
    }

    void OnStateChanged(std::function<void()> listener) override {
        stateChanged_.Connect(std::move(listener));
    }

    // The control as messages name it: "KVPAlignWPR(2)" for an array member.
    std::string Label() const {
        return index_ < 0 ? name_ : name_ + "(" + std::to_string(index_) + ")";
    }

  protected:
    ControlBase(host::ControlKind kind, std::string name, std::int32_t index, std::string parent,
                std::vector<PropSpec> specs)
        : props_(Label(name, index), WithCaption(std::move(specs))),
          kind_(kind),
          name_(std::move(name)),
          index_(index < 0 ? -1 : index),
          parent_(std::move(parent)) {}

    // The kind's own run-time properties; true when the name was one of them.
    virtual bool ReadSpecial(const std::string& /*name*/, host::Variant& /*out*/) const {
        return false;
    }
    virtual bool WriteSpecial(const std::string& /*name*/, const host::Variant& /*v*/) {
        return false;
    }
    // Default: the kind has no such operation.
    virtual bool ReleaseExtender() { return false; }

    void Changed() const { stateChanged_.Raise(); }
    void DropStateListeners() { stateChanged_.Clear(); }
    // Refuses a person's input on a disabled or hidden control.
    void RequireInteractive(const char* what) const {
        if (!enabled_) Raise(kErrInputRefused, "'{}' is disabled and takes no {}", Label(), what);
        if (!visible_) Raise(kErrInputRefused, "'{}' is hidden and takes no {}", Label(), what);
    }
    bool Interactive() const { return enabled_ && visible_; }

    std::int32_t Int(const std::string& name, const host::Variant& v) const {
        return PropertyStore::Convert(Label(), name, PropType::Int, v).ToInt32();
    }
    bool Bool(const std::string& name, const host::Variant& v) const {
        return PropertyStore::Convert(Label(), name, PropType::Bool, v).ToBool();
    }

    PropertyStore props_;

  private:
    static std::string Label(const std::string& name, std::int32_t index) {
        return index < 0 ? name : name + "(" + std::to_string(index) + ")";
    }
    static std::vector<PropSpec> WithCaption(std::vector<PropSpec> specs) {
        for (const auto& s : specs)
            if (host::IEquals(s.name, "caption")) return specs;
        specs.push_back({"caption", PropType::Text, host::Variant(std::string())});
        return specs;
    }
    void CheckExtent(const char* what, std::int32_t v) const {
        if (v < 0) Raise(kErrPropertyValue, "{} {} of '{}' is negative", what, v, Label());
    }

    host::ControlKind kind_;
    std::string name_;
    std::int32_t index_;
    std::string parent_;
    host::Rect rect_;
    bool visible_ = true;
    bool enabled_ = true;
    std::int32_t tabIndex_ = 0;
    Signal<> stateChanged_;
};

}  // namespace controls
