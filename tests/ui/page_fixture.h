#pragma once
// The setup page of a UCVIZari on the reference host: the page's controls as
// the control creates them, the method entry table, the result table and the
// page's handlers, connected as the control connects them. The instrument
// setup display knows the simulated instrument's setup description and shows
// its defaults.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/context.h"
#include "method/method_entries.h"
#include "method/result_table.h"
#include "platform/controls/context_menu.h"
#include "platform/controls/control_factory.h"
#include "platform/loader/reference_host.h"
#include "ui/page_description.h"
#include "ui/setup_page.h"

namespace pagetest {

class PageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host_ = std::make_shared<loader::ReferenceHost>(Options());
        host::SetCurrentHost(host_);
        // The person at the menu: notes where it opened and chooses nothing.
        host_->Factory().SetMenuPresenter(
            [this](host::ContextMenu&, std::int32_t x, std::int32_t y) {
                popups_.push_back({x, y});
            });
        form_ = host_->Controls().CreateForm("UCVIZari", "", ui::kControlWidth, ui::kControlHeight);
        for (const auto& desc : ui::SetupPageDescription())
            form_->AddControl(host_->Controls().Create(desc));
        page_ = std::make_unique<ui::SetupPage>(*form_);

        entries_.InitEntries();
        results_ = std::make_unique<method::ResultTable>(
            *host_, *page_->kvsResult, *page_->kvsScan,
            method::ControlState{noAutoClear_, acqData_, form_->Handle()});
        results_->InitResultTable();
        page_->InitSetupEntries(entries_);
        page_->Connect([this] { results_->SetResultColumns(); }, [this] { ++adjustCalls_; });

        description_ = SimulatorDescription();
        page_->ucorve->SetSetupDescription(description_);
        page_->ucorve->Reset();
    }
    void TearDown() override {
        entries_.ClearEntries();
        page_.reset();
        results_.reset();
        form_.reset();
        host::SetCurrentHost(nullptr);
    }
    virtual loader::HostOptions Options() { return {}; }

    // The setup description as the simulated instrument delivers it.
    std::shared_ptr<host::ParamDefList> SimulatorDescription() {
        auto server = host_->Instruments().CreateServer();
        auto packet = host_->Instruments().CreatePacket();
        server->GetSetupDesc(*packet);
        auto desc = host_->NewParamDefList();
        desc->LoadFrom(*packet, 0);
        return desc;
    }

    host::Variant Shown(const std::string& key) const {
        return page_->ucorve->CurrentSetup()->ValueOf(key);
    }

    // Rows of the position grid, as a person would leave them.
    void SetRows(const std::vector<std::vector<double>>& rows) {
        auto& grid = *page_->kvsScan;
        grid.SetRowCount(static_cast<std::int32_t>(rows.size()));
        for (std::size_t r = 0; r < rows.size(); ++r)
            for (std::size_t c = 0; c < rows[r].size(); ++c)
                grid.SetCell(static_cast<std::int32_t>(c + 1), static_cast<std::int32_t>(r + 1),
                             rows[r][c]);
    }
    std::vector<double> Row(std::int32_t r) const {
        std::vector<double> cells;
        for (std::int32_t c = 1; c <= 4; ++c) {
            const auto v = page_->kvsScan->Cell(c, r);
            cells.push_back(v.IsEmpty() ? -1.0 : v.ToDouble());
        }
        return cells;
    }
    std::int32_t Height(const std::shared_ptr<host::Control>& c) const {
        return c->Geometry().height;
    }
    std::int32_t Top(const std::shared_ptr<host::Control>& c) const { return c->Geometry().top; }

    std::shared_ptr<loader::ReferenceHost> host_;
    std::shared_ptr<host::Form> form_;
    std::unique_ptr<ui::SetupPage> page_;
    std::unique_ptr<method::ResultTable> results_;
    method::MethodEntries entries_;
    std::shared_ptr<host::ParamDefList> description_;
    bool noAutoClear_ = false;
    std::shared_ptr<host::AcqData> acqData_;
    std::vector<std::pair<std::int32_t, std::int32_t>> popups_;
    int adjustCalls_ = 0;
};

}  // namespace pagetest
