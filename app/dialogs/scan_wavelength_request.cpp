#include "dialogs/scan_wavelength_request.hpp"

#include <QCoreApplication>
#include <QEventLoop>

#include "dialogs/tflilambda.hpp"
#include "model/observed.hpp"

namespace kalidos::app {

std::optional<ScanWavelengths> ask_scan_wavelengths(Tflilambda& dialog)
{
    RawScan answer;  // receives only the wavelengths; the file is read again by the import
    bool accepted = false;
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.start({[] { return true; }, &answer, [&accepted] { accepted = true; }});
    while (dialog.isVisible())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (!accepted)
        return std::nullopt;
    return ScanWavelengths{answer.meanLambda, answer.lambda1, answer.lambda2, answer.ratio, answer.anode};
}

}  // namespace kalidos::app
