// The baseline of quorvane-bench startup: a bare Qt program that opens a main window with a tree
// view over a model of one folder's listing (name, size, date), and prints "first-paint" when the
// window is first painted.
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QMainWindow>
#include <QStandardItemModel>
#include <QTreeView>
#include <cstdio>

namespace {

class FirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            std::printf("first-paint\n");
            std::fflush(stdout);
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QStandardItemModel model;
    model.setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size"),
                                     QStringLiteral("Date")});
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files, QDir::Name)) {
        model.appendRow({new QStandardItem(info.fileName()),
                         new QStandardItem(QString::number(info.size())),
                         new QStandardItem(info.lastModified().toString(Qt::ISODate))});
    }
    QMainWindow window;
    auto* view = new QTreeView;
    view->setModel(&model);
    window.setCentralWidget(view);
    FirstPaint marker;
    window.installEventFilter(&marker);
    window.resize(812, 611);
    window.show();
    return QApplication::exec();
}
