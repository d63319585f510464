// vorlaxis: the window program.
#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMessageBox::information(nullptr, "Vorlaxis", "Vorlaxis");
    return 0;
}
