#pragma once
// The one way the module reaches its host: every service, a factory for every
// host document, the control factory, the clock and the instrument server's
// creatable class. The host hands it over when it creates a control through
// the library's class factory; the module keeps it for the thread.
#include <memory>

#include "host/acq_data.h"
#include "host/file_dialog.h"
#include "host/forms.h"
#include "host/instrument_info.h"
#include "host/instrument_server.h"
#include "host/method_object.h"
#include "host/param_set.h"
#include "host/services.h"
#include "host/session.h"

namespace host {

class ORVE_API Host {
  public:
    virtual ~Host() = default;
    virtual ErrorService& Errors() = 0;
    virtual TextCatalog& Texts() = 0;
    virtual NumberFormat& Numbers() = 0;
    virtual ProgressDisplay& Progress() = 0;
    virtual StringTools& Strings() = 0;
    virtual AcqEnvironment& Environment() = 0;
    virtual MathTools& Math() = 0;
    virtual PathTools& Paths() = 0;
    virtual Clock& GetClock() = 0;
    virtual ControlFactory& Controls() = 0;
    virtual Clipboard& GetClipboard() = 0;
    virtual FileDialogs& Dialogs() = 0;
    virtual InstrumentServerFactory& Instruments() = 0;

    virtual std::shared_ptr<PageList> NewPageList() = 0;
    virtual std::shared_ptr<ParamSet> NewParamSet() = 0;
    virtual std::shared_ptr<ParamDefList> NewParamDefList() = 0;
    virtual std::shared_ptr<ResultDefList> NewResultDefList() = 0;
    virtual std::shared_ptr<MethodObject> NewMethodObject() = 0;
    virtual std::shared_ptr<ResultRecord> NewResultRecord() = 0;
    virtual std::shared_ptr<InstrumentInfo> NewInstrumentInfo() = 0;
    virtual std::shared_ptr<AcqData> NewAcqData() = 0;
};

}  // namespace host
