// The main window's logging state: the logger of the logging clock (which
// also keeps the run of failed writes), the last names of its file dialogs,
// and the guard that keeps the logging boxes from stacking. Tests reach the logger's seams through
// MainDisp::logging().
#pragma once

#include "maindisp.h"
#include "pv_logging.h"

namespace qvx {

struct MainDisp::Logging {
    Logging(QVX720_INC& s, const StringTable& st) : logger(s, st) {}

    PvLogger logger;
    // Last chosen names of CommonDialog1 (logging file), CommonDialog2 (page
    // save) and CommonDialog3 (page load); a cancelled dialog keeps them.
    QString CommonDialog1;
    QString CommonDialog2;
    QString CommonDialog3;
    // A "cannot write" box of the logging is open: never a second one over it.
    bool messageOpen = false;
};

}  // namespace qvx
