// Starts the program in the current directory, which holds its data files.
#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    return 0;
}
