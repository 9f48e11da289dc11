#include "app/qt/fade_out.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>
#include <cmath>

#include "app/chrome.h"
#include "app/qt/form_shadow.h"

namespace tobu {

void FadeOutForm(QWidget* form, TFormShadow* shadow) {
    if (shadow) shadow->SetShadowVisible(false);
    if (!form) return;
    int count = 0;
    const auto steps =
        FadeSteps(static_cast<int>(std::lround(form->windowOpacity() * 255)), &count);
    for (int i = 0; i < count; ++i) {
        form->setWindowOpacity(steps[i] / 255.0);
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 30) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
            QThread::msleep(5);
        }
    }
}

} // namespace tobu
