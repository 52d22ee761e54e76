#include "toolkit/modal.h"

void runModal(std::unique_ptr<QDialog> dialog) {
#ifdef __EMSCRIPTEN__
    QDialog *shown = dialog.release();
    shown->setAttribute(Qt::WA_DeleteOnClose);
    shown->open();
#else
    dialog->exec();
#endif
}
