// The one switch that turns balloon hints on or off in every window, and the check box that
// shows it.
#pragma once

#include <QCheckBox>
#include <QObject>

class THintSwitch : public QObject {
    Q_OBJECT

  public:
    // The application's switch, created on first use (hints on until switched off).
    static THintSwitch* instance();

    bool isOn() const { return on; }
    // How long the pointer rests before a hint appears, and how long the hint then stays up.
    void setTimings(int showDelayMs, int displayMs);
    int showDelay() const { return showDelayMs; }
    int displayTime() const { return displayMs; }

  public slots:
    void setOn(bool hintsOn);

  signals:
    void switched(bool hintsOn);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit THintSwitch(QObject* parent);

    bool on = true;
    int showDelayMs = 700;
    int displayMs = 10000;
};

// A check box that mirrors the hint switch: toggling it switches hints for all windows, and
// it follows changes made anywhere else.
class THintsCheckBox : public QCheckBox {
    Q_OBJECT

  public:
    explicit THintsCheckBox(const QString& caption, QWidget* parent = nullptr);
};
