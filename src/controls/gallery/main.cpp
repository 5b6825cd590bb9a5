#include "ControlsGallery.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ControlsGallery gallery;
    gallery.show();
    return app.exec();
}
