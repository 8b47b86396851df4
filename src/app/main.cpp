#include <QApplication>

#include "app/startup.h"
#include "player/player_set.h"

int main(int argc, char** argv) {
    prepareApplicationForVideo();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorvane"));
    return Main(app);
}
