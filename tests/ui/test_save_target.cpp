// Save, Save As, Export report and New archive: the chosen type's suffix is added before an existing
// file is found, which is replaced only when the user says so; Save As makes its file and version the
// current ones, which a later Save writes.
#include "scenario.h"

using namespace uitest;

class TestSaveTarget : public QObject {
    Q_OBJECT

private slots:
    // The window and the log (questions, messages, the files of the folder) after each scenario of
    // test_save_target/targets.steps.
    void targets_data() { scenarioRows(); }
    void targets() {
        QFETCH(QString, steps);
        MainWindow window;
        Scenario scenario(window);
        scenario.run(steps);
        scenario.compareWithGolden();
    }
};

UI_TEST_MAIN(TestSaveTarget)
#include "test_save_target.moc"
