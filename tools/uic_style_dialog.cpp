// The yardstick of tools/bench_startup.sh for a dialog of this size: the main dialog's controls
// (the same kinds, places, Chinese labels, list entries and tooltips) built the way uic generates
// a Qt Designer form: a Ui class whose setupUi creates every widget at its fixed geometry and
// whose retranslateUi sets the texts. The address fields are line edits with an input mask, as a
// Designer form has them; nothing else of the program is in it.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "presets.h"
#include "window_probe.h"

// clang-format off
class Ui_Dialog
{
public:
    QGroupBox *groupBox;
    QGroupBox *groupBox_2;
    QGroupBox *groupBox_3;
    QGroupBox *groupBox_4;
    QGroupBox *groupBox_5;
    QGroupBox *groupBox_6;
    QGroupBox *groupBox_7;
    QRadioButton *radioButton;
    QRadioButton *radioButton_2;
    QRadioButton *radioButton_3;
    QRadioButton *radioButton_4;
    QRadioButton *radioButton_5;
    QRadioButton *radioButton_6;
    QRadioButton *radioButton_7;
    QPushButton *pushButton;
    QPushButton *pushButton_2;
    QPushButton *pushButton_3;
    QPushButton *pushButton_4;
    QPushButton *pushButton_5;
    QPushButton *pushButton_6;
    QPushButton *pushButton_7;
    QPushButton *pushButton_8;
    QLabel *label;
    QPlainTextEdit *plainTextEdit;
    QLabel *label_2;
    QPlainTextEdit *plainTextEdit_2;
    QComboBox *comboBox;
    QPushButton *pushButton_9;
    QPushButton *pushButton_10;
    QPushButton *pushButton_11;
    QPushButton *pushButton_12;
    QCheckBox *checkBox;
    QLabel *label_3;
    QLineEdit *lineEdit;
    QLabel *label_4;
    QLineEdit *lineEdit_2;
    QLabel *label_5;
    QLineEdit *lineEdit_3;
    QLabel *label_6;
    QLineEdit *lineEdit_4;
    QLabel *label_7;
    QLineEdit *lineEdit_5;
    QLabel *label_8;
    QComboBox *comboBox_2;
    QLabel *label_9;
    QLineEdit *lineEdit_6;
    QLabel *label_10;
    QComboBox *comboBox_3;
    QLabel *label_11;
    QComboBox *comboBox_4;
    QLabel *label_12;
    QComboBox *comboBox_5;
    QLabel *label_13;
    QComboBox *comboBox_6;
    QLabel *label_14;
    QLineEdit *lineEdit_7;
    QLabel *label_15;
    QLineEdit *lineEdit_8;
    QPushButton *pushButton_13;
    QPushButton *pushButton_14;
    QLabel *label_16;
    QLineEdit *lineEdit_9;
    QPushButton *pushButton_15;
    QPushButton *pushButton_16;
    QPushButton *pushButton_17;
    QPushButton *pushButton_18;
    QPushButton *pushButton_19;
    QPushButton *pushButton_20;
    QPushButton *pushButton_21;
    QComboBox *comboBox_7;
    QComboBox *comboBox_8;
    QComboBox *comboBox_9;
    QLineEdit *lineEdit_10;
    QProgressBar *progressBar;
    QPushButton *pushButton_22;
    QLabel *label_17;

    void setupUi(QDialog *Dialog)
    {
        if (Dialog->objectName().isEmpty())
            Dialog->setObjectName("Dialog");
        Dialog->resize(796, 549);
        QFont font;
        font.setPointSize(8);
        Dialog->setFont(font);
        groupBox = new QGroupBox(Dialog);
        groupBox->setObjectName("groupBox");
        groupBox->setGeometry(QRect(555, 210, 224, 89));
        groupBox_2 = new QGroupBox(Dialog);
        groupBox_2->setObjectName("groupBox_2");
        groupBox_2->setGeometry(QRect(555, 96, 224, 112));
        groupBox_3 = new QGroupBox(Dialog);
        groupBox_3->setObjectName("groupBox_3");
        groupBox_3->setGeometry(QRect(427, 345, 270, 138));
        groupBox_4 = new QGroupBox(Dialog);
        groupBox_4->setObjectName("groupBox_4");
        groupBox_4->setGeometry(QRect(18, 442, 240, 94));
        groupBox_5 = new QGroupBox(Dialog);
        groupBox_5->setObjectName("groupBox_5");
        groupBox_5->setGeometry(QRect(418, 96, 135, 223));
        groupBox_6 = new QGroupBox(Dialog);
        groupBox_6->setObjectName("groupBox_6");
        groupBox_6->setGeometry(QRect(541, 42, 229, 46));
        groupBox_7 = new QGroupBox(Dialog);
        groupBox_7->setObjectName("groupBox_7");
        groupBox_7->setGeometry(QRect(418, 33, 364, 60));
        radioButton = new QRadioButton(Dialog);
        radioButton->setObjectName("radioButton");
        radioButton->setGeometry(QRect(438, 60, 98, 16));
        radioButton_2 = new QRadioButton(Dialog);
        radioButton_2->setObjectName("radioButton_2");
        radioButton_2->setGeometry(QRect(555, 60, 105, 16));
        radioButton_3 = new QRadioButton(Dialog);
        radioButton_3->setObjectName("radioButton_3");
        radioButton_3->setGeometry(QRect(676, 60, 96, 16));
        radioButton_4 = new QRadioButton(Dialog);
        radioButton_4->setObjectName("radioButton_4");
        radioButton_4->setGeometry(QRect(436, 114, 93, 16));
        radioButton_5 = new QRadioButton(Dialog);
        radioButton_5->setObjectName("radioButton_5");
        radioButton_5->setGeometry(QRect(436, 132, 82, 16));
        radioButton_6 = new QRadioButton(Dialog);
        radioButton_6->setObjectName("radioButton_6");
        radioButton_6->setGeometry(QRect(436, 150, 93, 16));
        radioButton_7 = new QRadioButton(Dialog);
        radioButton_7->setObjectName("radioButton_7");
        radioButton_7->setGeometry(QRect(436, 167, 93, 16));
        pushButton = new QPushButton(Dialog);
        pushButton->setObjectName("pushButton");
        pushButton->setGeometry(QRect(408, 497, 67, 26));
        pushButton_2 = new QPushButton(Dialog);
        pushButton_2->setObjectName("pushButton_2");
        pushButton_2->setGeometry(QRect(487, 497, 67, 26));
        pushButton_3 = new QPushButton(Dialog);
        pushButton_3->setObjectName("pushButton_3");
        pushButton_3->setGeometry(QRect(723, 497, 67, 26));
        pushButton_4 = new QPushButton(Dialog);
        pushButton_4->setObjectName("pushButton_4");
        pushButton_4->setGeometry(QRect(558, 11, 79, 21));
        pushButton_5 = new QPushButton(Dialog);
        pushButton_5->setObjectName("pushButton_5");
        pushButton_5->setGeometry(QRect(33, 463, 68, 26));
        pushButton_6 = new QPushButton(Dialog);
        pushButton_6->setObjectName("pushButton_6");
        pushButton_6->setGeometry(QRect(147, 463, 68, 26));
        pushButton_7 = new QPushButton(Dialog);
        pushButton_7->setObjectName("pushButton_7");
        pushButton_7->setGeometry(QRect(33, 497, 68, 26));
        pushButton_8 = new QPushButton(Dialog);
        pushButton_8->setObjectName("pushButton_8");
        pushButton_8->setGeometry(QRect(147, 497, 68, 26));
        label = new QLabel(Dialog);
        label->setObjectName("label");
        label->setGeometry(QRect(12, 13, 84, 13));
        plainTextEdit = new QPlainTextEdit(Dialog);
        plainTextEdit->setObjectName("plainTextEdit");
        plainTextEdit->setGeometry(QRect(12, 31, 394, 169));
        plainTextEdit->setReadOnly(true);
        label_2 = new QLabel(Dialog);
        label_2->setObjectName("label_2");
        label_2->setGeometry(QRect(12, 213, 100, 13));
        plainTextEdit_2 = new QPlainTextEdit(Dialog);
        plainTextEdit_2->setObjectName("plainTextEdit_2");
        plainTextEdit_2->setGeometry(QRect(12, 232, 394, 189));
        plainTextEdit_2->setReadOnly(true);
        comboBox = new QComboBox(Dialog);
        comboBox->addItem(QString());
        comboBox->setObjectName("comboBox");
        comboBox->setGeometry(QRect(450, 11, 89, 21));
        comboBox->setEditable(true);
        pushButton_9 = new QPushButton(Dialog);
        pushButton_9->setObjectName("pushButton_9");
        pushButton_9->setGeometry(QRect(109, 463, 23, 26));
        pushButton_10 = new QPushButton(Dialog);
        pushButton_10->setObjectName("pushButton_10");
        pushButton_10->setGeometry(QRect(222, 463, 23, 26));
        pushButton_11 = new QPushButton(Dialog);
        pushButton_11->setObjectName("pushButton_11");
        pushButton_11->setGeometry(QRect(109, 497, 23, 26));
        pushButton_12 = new QPushButton(Dialog);
        pushButton_12->setObjectName("pushButton_12");
        pushButton_12->setGeometry(QRect(222, 497, 23, 26));
        checkBox = new QCheckBox(Dialog);
        checkBox->setObjectName("checkBox");
        checkBox->setGeometry(QRect(427, 327, 88, 16));
        label_3 = new QLabel(Dialog);
        label_3->setObjectName("label_3");
        label_3->setGeometry(QRect(450, 371, 42, 13));
        lineEdit = new QLineEdit(Dialog);
        lineEdit->setObjectName("lineEdit");
        lineEdit->setGeometry(QRect(499, 366, 175, 24));
        lineEdit->setInputMask(QString::fromUtf8("000.000.000.000;_"));
        lineEdit->setEnabled(false);
        label_4 = new QLabel(Dialog);
        label_4->setObjectName("label_4");
        label_4->setGeometry(QRect(436, 397, 58, 13));
        lineEdit_2 = new QLineEdit(Dialog);
        lineEdit_2->setObjectName("lineEdit_2");
        lineEdit_2->setGeometry(QRect(499, 393, 175, 24));
        lineEdit_2->setInputMask(QString::fromUtf8("000.000.000.000;_"));
        lineEdit_2->setEnabled(false);
        label_5 = new QLabel(Dialog);
        label_5->setObjectName("label_5");
        label_5->setGeometry(QRect(464, 427, 30, 13));
        lineEdit_3 = new QLineEdit(Dialog);
        lineEdit_3->setObjectName("lineEdit_3");
        lineEdit_3->setGeometry(QRect(499, 423, 175, 24));
        lineEdit_3->setInputMask(QString::fromUtf8("000.000.000.000;_"));
        lineEdit_3->setEnabled(false);
        label_6 = new QLabel(Dialog);
        label_6->setObjectName("label_6");
        label_6->setGeometry(QRect(469, 453, 25, 13));
        lineEdit_4 = new QLineEdit(Dialog);
        lineEdit_4->setObjectName("lineEdit_4");
        lineEdit_4->setGeometry(QRect(499, 445, 175, 24));
        lineEdit_4->setInputMask(QString::fromUtf8("000.000.000.000;_"));
        lineEdit_4->setEnabled(false);
        label_7 = new QLabel(Dialog);
        label_7->setObjectName("label_7");
        label_7->setGeometry(QRect(565, 114, 58, 13));
        lineEdit_5 = new QLineEdit(Dialog);
        lineEdit_5->setObjectName("lineEdit_5");
        lineEdit_5->setGeometry(QRect(627, 111, 131, 23));
        lineEdit_5->setEnabled(false);
        label_8 = new QLabel(Dialog);
        label_8->setObjectName("label_8");
        label_8->setGeometry(QRect(567, 146, 58, 13));
        comboBox_2 = new QComboBox(Dialog);
        comboBox_2->addItem(QString());
        comboBox_2->addItem(QString());
        comboBox_2->addItem(QString());
        comboBox_2->addItem(QString());
        comboBox_2->addItem(QString());
        comboBox_2->addItem(QString());
        comboBox_2->addItem(QString());
        comboBox_2->addItem(QString());
        comboBox_2->addItem(QString());
        comboBox_2->addItem(QString());
        comboBox_2->setObjectName("comboBox_2");
        comboBox_2->setGeometry(QRect(627, 143, 131, 21));
        comboBox_2->setEditable(true);
        comboBox_2->setEnabled(false);
        label_9 = new QLabel(Dialog);
        label_9->setObjectName("label_9");
        label_9->setGeometry(QRect(569, 176, 30, 13));
        lineEdit_6 = new QLineEdit(Dialog);
        lineEdit_6->setObjectName("lineEdit_6");
        lineEdit_6->setGeometry(QRect(627, 171, 131, 23));
        lineEdit_6->setEnabled(false);
        label_10 = new QLabel(Dialog);
        label_10->setObjectName("label_10");
        label_10->setGeometry(QRect(560, 236, 44, 13));
        comboBox_3 = new QComboBox(Dialog);
        comboBox_3->addItem(QString());
        comboBox_3->addItem(QString());
        comboBox_3->addItem(QString());
        comboBox_3->addItem(QString());
        comboBox_3->addItem(QString());
        comboBox_3->addItem(QString());
        comboBox_3->addItem(QString());
        comboBox_3->addItem(QString());
        comboBox_3->addItem(QString());
        comboBox_3->setObjectName("comboBox_3");
        comboBox_3->setGeometry(QRect(602, 232, 72, 21));
        comboBox_3->setEditable(true);
        label_11 = new QLabel(Dialog);
        label_11->setObjectName("label_11");
        label_11->setGeometry(QRect(679, 236, 44, 13));
        comboBox_4 = new QComboBox(Dialog);
        comboBox_4->addItem(QString());
        comboBox_4->addItem(QString());
        comboBox_4->addItem(QString());
        comboBox_4->addItem(QString());
        comboBox_4->setObjectName("comboBox_4");
        comboBox_4->setGeometry(QRect(723, 232, 47, 21));
        comboBox_4->setEditable(true);
        label_12 = new QLabel(Dialog);
        label_12->setObjectName("label_12");
        label_12->setGeometry(QRect(677, 267, 44, 13));
        comboBox_5 = new QComboBox(Dialog);
        comboBox_5->addItem(QString());
        comboBox_5->addItem(QString());
        comboBox_5->setObjectName("comboBox_5");
        comboBox_5->setGeometry(QRect(723, 263, 47, 21));
        comboBox_5->setEditable(true);
        label_13 = new QLabel(Dialog);
        label_13->setObjectName("label_13");
        label_13->setGeometry(QRect(560, 271, 44, 13));
        comboBox_6 = new QComboBox(Dialog);
        comboBox_6->addItem(QString());
        comboBox_6->addItem(QString());
        comboBox_6->addItem(QString());
        comboBox_6->setObjectName("comboBox_6");
        comboBox_6->setGeometry(QRect(600, 263, 63, 21));
        comboBox_6->setEditable(true);
        label_14 = new QLabel(Dialog);
        label_14->setObjectName("label_14");
        label_14->setGeometry(QRect(431, 190, 42, 13));
        lineEdit_7 = new QLineEdit(Dialog);
        lineEdit_7->setObjectName("lineEdit_7");
        lineEdit_7->setGeometry(QRect(439, 206, 103, 20));
        lineEdit_7->setEnabled(false);
        label_15 = new QLabel(Dialog);
        label_15->setObjectName("label_15");
        label_15->setGeometry(QRect(429, 232, 30, 13));
        lineEdit_8 = new QLineEdit(Dialog);
        lineEdit_8->setObjectName("lineEdit_8");
        lineEdit_8->setGeometry(QRect(459, 244, 65, 20));
        pushButton_13 = new QPushButton(Dialog);
        pushButton_13->setObjectName("pushButton_13");
        pushButton_13->setGeometry(QRect(644, 497, 67, 26));
        pushButton_14 = new QPushButton(Dialog);
        pushButton_14->setObjectName("pushButton_14");
        pushButton_14->setGeometry(QRect(565, 497, 67, 26));
        label_16 = new QLabel(Dialog);
        label_16->setObjectName("label_16");
        label_16->setGeometry(QRect(431, 273, 58, 13));
        lineEdit_9 = new QLineEdit(Dialog);
        lineEdit_9->setObjectName("lineEdit_9");
        lineEdit_9->setGeometry(QRect(459, 291, 65, 20));
        lineEdit_9->setEnabled(false);
        pushButton_15 = new QPushButton(Dialog);
        pushButton_15->setObjectName("pushButton_15");
        pushButton_15->setGeometry(QRect(768, 338, 28, 26));
        pushButton_15->setVisible(false);
        pushButton_16 = new QPushButton(Dialog);
        pushButton_16->setObjectName("pushButton_16");
        pushButton_16->setGeometry(QRect(744, 401, 53, 26));
        pushButton_16->setVisible(false);
        pushButton_17 = new QPushButton(Dialog);
        pushButton_17->setObjectName("pushButton_17");
        pushButton_17->setGeometry(QRect(711, 320, 86, 26));
        pushButton_17->setVisible(false);
        pushButton_18 = new QPushButton(Dialog);
        pushButton_18->setObjectName("pushButton_18");
        pushButton_18->setGeometry(QRect(688, 322, 86, 26));
        pushButton_18->setVisible(false);
        pushButton_19 = new QPushButton(Dialog);
        pushButton_19->setObjectName("pushButton_19");
        pushButton_19->setGeometry(QRect(698, 315, 86, 26));
        pushButton_19->setVisible(false);
        pushButton_20 = new QPushButton(Dialog);
        pushButton_20->setObjectName("pushButton_20");
        pushButton_20->setGeometry(QRect(695, 310, 86, 26));
        pushButton_20->setVisible(false);
        pushButton_21 = new QPushButton(Dialog);
        pushButton_21->setObjectName("pushButton_21");
        pushButton_21->setGeometry(QRect(711, 319, 86, 26));
        pushButton_21->setVisible(false);
        comboBox_7 = new QComboBox(Dialog);
        comboBox_7->addItem(QString());
        comboBox_7->addItem(QString());
        comboBox_7->addItem(QString());
        comboBox_7->addItem(QString());
        comboBox_7->addItem(QString());
        comboBox_7->addItem(QString());
        comboBox_7->addItem(QString());
        comboBox_7->addItem(QString());
        comboBox_7->addItem(QString());
        comboBox_7->addItem(QString());
        comboBox_7->addItem(QString());
        comboBox_7->addItem(QString());
        comboBox_7->addItem(QString());
        comboBox_7->addItem(QString());
        comboBox_7->addItem(QString());
        comboBox_7->setObjectName("comboBox_7");
        comboBox_7->setGeometry(QRect(768, 379, 28, 21));
        comboBox_7->setEditable(true);
        comboBox_7->setVisible(false);
        comboBox_7->setEnabled(false);
        comboBox_8 = new QComboBox(Dialog);
        comboBox_8->addItem(QString());
        comboBox_8->setObjectName("comboBox_8");
        comboBox_8->setGeometry(QRect(767, 423, 30, 21));
        comboBox_8->setEditable(true);
        comboBox_8->setVisible(false);
        comboBox_9 = new QComboBox(Dialog);
        comboBox_9->addItem(QString());
        comboBox_9->setObjectName("comboBox_9");
        comboBox_9->setGeometry(QRect(767, 445, 30, 21));
        comboBox_9->setEditable(true);
        comboBox_9->setVisible(false);
        lineEdit_10 = new QLineEdit(Dialog);
        lineEdit_10->setObjectName("lineEdit_10");
        lineEdit_10->setGeometry(QRect(705, 359, 70, 23));
        lineEdit_10->setReadOnly(false);
        lineEdit_10->setVisible(false);
        progressBar = new QProgressBar(Dialog);
        progressBar->setObjectName("progressBar");
        progressBar->setGeometry(QRect(408, 530, 298, 13));
        progressBar->setVisible(false);
        pushButton_22 = new QPushButton(Dialog);
        pushButton_22->setObjectName("pushButton_22");
        pushButton_22->setGeometry(QRect(711, 527, 79, 20));
        pushButton_22->setVisible(false);
        label_17 = new QLabel(Dialog);
        label_17->setObjectName("label_17");
        label_17->setGeometry(QRect(12, 424, 394, 15));

        retranslateUi(Dialog);

        QWidget::setTabOrder(pushButton, pushButton_2);
        QWidget::setTabOrder(pushButton_2, pushButton_3);
        QWidget::setTabOrder(pushButton_3, pushButton_4);
        QWidget::setTabOrder(pushButton_4, pushButton_5);
        QWidget::setTabOrder(pushButton_5, pushButton_6);
        QWidget::setTabOrder(pushButton_6, pushButton_7);
        QWidget::setTabOrder(pushButton_7, pushButton_8);
        QWidget::setTabOrder(pushButton_8, plainTextEdit);
        QWidget::setTabOrder(plainTextEdit, plainTextEdit_2);
        QWidget::setTabOrder(plainTextEdit_2, comboBox);
        QWidget::setTabOrder(comboBox, pushButton_9);
        QWidget::setTabOrder(pushButton_9, pushButton_10);
        QWidget::setTabOrder(pushButton_10, pushButton_11);
        QWidget::setTabOrder(pushButton_11, pushButton_12);
        QWidget::setTabOrder(pushButton_12, checkBox);
        QWidget::setTabOrder(checkBox, lineEdit);
        QWidget::setTabOrder(lineEdit, lineEdit_2);
        QWidget::setTabOrder(lineEdit_2, lineEdit_3);
        QWidget::setTabOrder(lineEdit_3, lineEdit_4);
        QWidget::setTabOrder(lineEdit_4, lineEdit_5);
        QWidget::setTabOrder(lineEdit_5, comboBox_2);
        QWidget::setTabOrder(comboBox_2, lineEdit_6);
        QWidget::setTabOrder(lineEdit_6, comboBox_3);
        QWidget::setTabOrder(comboBox_3, comboBox_4);
        QWidget::setTabOrder(comboBox_4, comboBox_5);
        QWidget::setTabOrder(comboBox_5, comboBox_6);
        QWidget::setTabOrder(comboBox_6, lineEdit_7);
        QWidget::setTabOrder(lineEdit_7, lineEdit_8);
        QWidget::setTabOrder(lineEdit_8, pushButton_13);
        QWidget::setTabOrder(pushButton_13, pushButton_14);
        QWidget::setTabOrder(pushButton_14, lineEdit_9);
        QWidget::setTabOrder(lineEdit_9, pushButton_15);
        QWidget::setTabOrder(pushButton_15, pushButton_16);
        QWidget::setTabOrder(pushButton_16, pushButton_17);
        QWidget::setTabOrder(pushButton_17, pushButton_18);
        QWidget::setTabOrder(pushButton_18, pushButton_19);
        QWidget::setTabOrder(pushButton_19, pushButton_20);
        QWidget::setTabOrder(pushButton_20, pushButton_21);
        QWidget::setTabOrder(pushButton_21, comboBox_7);
        QWidget::setTabOrder(comboBox_7, comboBox_8);
        QWidget::setTabOrder(comboBox_8, comboBox_9);
        QWidget::setTabOrder(comboBox_9, lineEdit_10);
        QWidget::setTabOrder(lineEdit_10, pushButton_22);

        QMetaObject::connectSlotsByName(Dialog);
    } // setupUi

    void retranslateUi(QDialog *Dialog)
    {
        Dialog->setWindowTitle(QCoreApplication::translate("Dialog", "ZOV-QN7_CONFIG By Qn7 Tools", nullptr));
#if QT_CONFIG(tooltip)
        groupBox->setToolTip(QCoreApplication::translate("Dialog", "serial port parameters", nullptr));
#endif // QT_CONFIG(tooltip)
        groupBox->setTitle(QCoreApplication::translate("Dialog", "串口参数", nullptr));
#if QT_CONFIG(tooltip)
        groupBox_2->setToolTip(QCoreApplication::translate("Dialog", "wireless parameters", nullptr));
#endif // QT_CONFIG(tooltip)
        groupBox_2->setTitle(QCoreApplication::translate("Dialog", "无线参数", nullptr));
#if QT_CONFIG(tooltip)
        groupBox_3->setToolTip(QCoreApplication::translate("Dialog", "network parameters", nullptr));
#endif // QT_CONFIG(tooltip)
        groupBox_3->setTitle(QCoreApplication::translate("Dialog", "网络参数", nullptr));
#if QT_CONFIG(tooltip)
        groupBox_4->setToolTip(QCoreApplication::translate("Dialog", "user parameter save area", nullptr));
#endif // QT_CONFIG(tooltip)
        groupBox_4->setTitle(QCoreApplication::translate("Dialog", "用户参数保存区", nullptr));
#if QT_CONFIG(tooltip)
        groupBox_5->setToolTip(QCoreApplication::translate("Dialog", "network protocol selection", nullptr));
#endif // QT_CONFIG(tooltip)
        groupBox_5->setTitle(QCoreApplication::translate("Dialog", "网络协议选择", nullptr));
#if QT_CONFIG(tooltip)
        groupBox_6->setToolTip(QCoreApplication::translate("Dialog", "serial to WiFi", nullptr));
#endif // QT_CONFIG(tooltip)
        groupBox_6->setTitle(QCoreApplication::translate("Dialog", "串口转WIFI", nullptr));
#if QT_CONFIG(tooltip)
        groupBox_7->setToolTip(QCoreApplication::translate("Dialog", "work mode selection", nullptr));
#endif // QT_CONFIG(tooltip)
        groupBox_7->setTitle(QCoreApplication::translate("Dialog", "工作模式选择", nullptr));
#if QT_CONFIG(tooltip)
        radioButton->setToolTip(QCoreApplication::translate("Dialog", "serial Ethernet", nullptr));
#endif // QT_CONFIG(tooltip)
        radioButton->setText(QCoreApplication::translate("Dialog", "串口以太网", nullptr));
#if QT_CONFIG(tooltip)
        radioButton_2->setToolTip(QCoreApplication::translate("Dialog", "wireless network card mode", nullptr));
#endif // QT_CONFIG(tooltip)
        radioButton_2->setText(QCoreApplication::translate("Dialog", "无线网卡模式", nullptr));
#if QT_CONFIG(tooltip)
        radioButton_3->setToolTip(QCoreApplication::translate("Dialog", "wireless AP mode", nullptr));
#endif // QT_CONFIG(tooltip)
        radioButton_3->setText(QCoreApplication::translate("Dialog", "无线AP模式", nullptr));
#if QT_CONFIG(tooltip)
        radioButton_4->setToolTip(QCoreApplication::translate("Dialog", "TCP server", nullptr));
#endif // QT_CONFIG(tooltip)
        radioButton_4->setText(QCoreApplication::translate("Dialog", "TCP服务器", nullptr));
#if QT_CONFIG(tooltip)
        radioButton_5->setToolTip(QCoreApplication::translate("Dialog", "TCP client", nullptr));
#endif // QT_CONFIG(tooltip)
        radioButton_5->setText(QCoreApplication::translate("Dialog", "TCP客户端", nullptr));
#if QT_CONFIG(tooltip)
        radioButton_6->setToolTip(QCoreApplication::translate("Dialog", "UDP server", nullptr));
#endif // QT_CONFIG(tooltip)
        radioButton_6->setText(QCoreApplication::translate("Dialog", "UDP服务器", nullptr));
#if QT_CONFIG(tooltip)
        radioButton_7->setToolTip(QCoreApplication::translate("Dialog", "UDP client", nullptr));
#endif // QT_CONFIG(tooltip)
        radioButton_7->setText(QCoreApplication::translate("Dialog", "UDP客户端", nullptr));
#if QT_CONFIG(tooltip)
        pushButton->setToolTip(QCoreApplication::translate("Dialog", "submit configuration", nullptr));
#endif // QT_CONFIG(tooltip)
        pushButton->setText(QCoreApplication::translate("Dialog", "提交配置", nullptr));
#if QT_CONFIG(tooltip)
        pushButton_2->setToolTip(QCoreApplication::translate("Dialog", "query configuration", nullptr));
#endif // QT_CONFIG(tooltip)
        pushButton_2->setText(QCoreApplication::translate("Dialog", "查询配置", nullptr));
#if QT_CONFIG(tooltip)
        pushButton_3->setToolTip(QCoreApplication::translate("Dialog", "restore factory settings", nullptr));
#endif // QT_CONFIG(tooltip)
        pushButton_3->setText(QCoreApplication::translate("Dialog", "恢复出厂", nullptr));
#if QT_CONFIG(tooltip)
        pushButton_4->setToolTip(QCoreApplication::translate("Dialog", "search for the module", nullptr));
#endif // QT_CONFIG(tooltip)
        pushButton_4->setText(QCoreApplication::translate("Dialog", "搜索模块", nullptr));
        pushButton_5->setText(QCoreApplication::translate("Dialog", "User0", nullptr));
        pushButton_6->setText(QCoreApplication::translate("Dialog", "User1", nullptr));
        pushButton_7->setText(QCoreApplication::translate("Dialog", "User2", nullptr));
        pushButton_8->setText(QCoreApplication::translate("Dialog", "User3", nullptr));
#if QT_CONFIG(tooltip)
        label->setToolTip(QCoreApplication::translate("Dialog", "commands to be sent", nullptr));
#endif // QT_CONFIG(tooltip)
        label->setText(QCoreApplication::translate("Dialog", "待发送命令", nullptr));
#if QT_CONFIG(tooltip)
        plainTextEdit->setToolTip(QCoreApplication::translate("Dialog", "commands to be sent", nullptr));
#endif // QT_CONFIG(tooltip)
#if QT_CONFIG(tooltip)
        label_2->setToolTip(QCoreApplication::translate("Dialog", "command execution and replies", nullptr));
#endif // QT_CONFIG(tooltip)
        label_2->setText(QCoreApplication::translate("Dialog", "命令执行与回复", nullptr));
#if QT_CONFIG(tooltip)
        plainTextEdit_2->setToolTip(QCoreApplication::translate("Dialog", "command execution and replies", nullptr));
#endif // QT_CONFIG(tooltip)
#if QT_CONFIG(tooltip)
        comboBox->setToolTip(QCoreApplication::translate("Dialog", "/dev/ttyS0 — on-board serial port", nullptr));
#endif // QT_CONFIG(tooltip)
        comboBox->setItemText(0, QCoreApplication::translate("Dialog", "/dev/ttyS0", nullptr));
        pushButton_9->setText(QCoreApplication::translate("Dialog", "S", nullptr));
        pushButton_10->setText(QCoreApplication::translate("Dialog", "S", nullptr));
        pushButton_11->setText(QCoreApplication::translate("Dialog", "S", nullptr));
        pushButton_12->setText(QCoreApplication::translate("Dialog", "S", nullptr));
#if QT_CONFIG(tooltip)
        checkBox->setToolTip(QCoreApplication::translate("Dialog", "enable DHCP", nullptr));
#endif // QT_CONFIG(tooltip)
        checkBox->setText(QCoreApplication::translate("Dialog", "启用DHCP", nullptr));
#if QT_CONFIG(tooltip)
        label_3->setToolTip(QCoreApplication::translate("Dialog", "local IP", nullptr));
#endif // QT_CONFIG(tooltip)
        label_3->setText(QCoreApplication::translate("Dialog", "本地IP", nullptr));
#if QT_CONFIG(tooltip)
        lineEdit->setToolTip(QCoreApplication::translate("Dialog", "local IP", nullptr));
#endif // QT_CONFIG(tooltip)
#if QT_CONFIG(tooltip)
        label_4->setToolTip(QCoreApplication::translate("Dialog", "subnet mask", nullptr));
#endif // QT_CONFIG(tooltip)
        label_4->setText(QCoreApplication::translate("Dialog", "子网掩码", nullptr));
#if QT_CONFIG(tooltip)
        lineEdit_2->setToolTip(QCoreApplication::translate("Dialog", "subnet mask", nullptr));
#endif // QT_CONFIG(tooltip)
#if QT_CONFIG(tooltip)
        label_5->setToolTip(QCoreApplication::translate("Dialog", "gateway", nullptr));
#endif // QT_CONFIG(tooltip)
        label_5->setText(QCoreApplication::translate("Dialog", "网关", nullptr));
#if QT_CONFIG(tooltip)
        lineEdit_3->setToolTip(QCoreApplication::translate("Dialog", "gateway", nullptr));
#endif // QT_CONFIG(tooltip)
        label_6->setText(QCoreApplication::translate("Dialog", "DNS", nullptr));
#if QT_CONFIG(tooltip)
        label_7->setToolTip(QCoreApplication::translate("Dialog", "network name", nullptr));
#endif // QT_CONFIG(tooltip)
        label_7->setText(QCoreApplication::translate("Dialog", "网络名称", nullptr));
#if QT_CONFIG(tooltip)
        lineEdit_5->setToolTip(QCoreApplication::translate("Dialog", "network name", nullptr));
#endif // QT_CONFIG(tooltip)
#if QT_CONFIG(tooltip)
        label_8->setToolTip(QCoreApplication::translate("Dialog", "encryption method", nullptr));
#endif // QT_CONFIG(tooltip)
        label_8->setText(QCoreApplication::translate("Dialog", "加密方式", nullptr));
#if QT_CONFIG(tooltip)
        comboBox_2->setToolTip(QCoreApplication::translate("Dialog", "encryption method", nullptr));
#endif // QT_CONFIG(tooltip)
        comboBox_2->setItemText(0, QCoreApplication::translate("Dialog", "NONE", nullptr));
        comboBox_2->setItemText(1, QCoreApplication::translate("Dialog", "WEP_OPEN", nullptr));
        comboBox_2->setItemText(2, QCoreApplication::translate("Dialog", "WEP_SHARE", nullptr));
        comboBox_2->setItemText(3, QCoreApplication::translate("Dialog", "WPA_TKIP", nullptr));
        comboBox_2->setItemText(4, QCoreApplication::translate("Dialog", "WPA_AES", nullptr));
        comboBox_2->setItemText(5, QCoreApplication::translate("Dialog", "WPA2_TKIP", nullptr));
        comboBox_2->setItemText(6, QCoreApplication::translate("Dialog", "WPA2_AES", nullptr));
        comboBox_2->setItemText(7, QCoreApplication::translate("Dialog", "WPA/WPA2_TKIP", nullptr));
        comboBox_2->setItemText(8, QCoreApplication::translate("Dialog", "WPA/WPA2_AES", nullptr));
        comboBox_2->setItemText(9, QCoreApplication::translate("Dialog", "AUTO", nullptr));
#if QT_CONFIG(tooltip)
        label_9->setToolTip(QCoreApplication::translate("Dialog", "key", nullptr));
#endif // QT_CONFIG(tooltip)
        label_9->setText(QCoreApplication::translate("Dialog", "密钥", nullptr));
#if QT_CONFIG(tooltip)
        lineEdit_6->setToolTip(QCoreApplication::translate("Dialog", "key", nullptr));
#endif // QT_CONFIG(tooltip)
#if QT_CONFIG(tooltip)
        label_10->setToolTip(QCoreApplication::translate("Dialog", "baud rate", nullptr));
#endif // QT_CONFIG(tooltip)
        label_10->setText(QCoreApplication::translate("Dialog", "波特率", nullptr));
#if QT_CONFIG(tooltip)
        comboBox_3->setToolTip(QCoreApplication::translate("Dialog", "baud rate", nullptr));
#endif // QT_CONFIG(tooltip)
        comboBox_3->setItemText(0, QCoreApplication::translate("Dialog", "1200", nullptr));
        comboBox_3->setItemText(1, QCoreApplication::translate("Dialog", "2400", nullptr));
        comboBox_3->setItemText(2, QCoreApplication::translate("Dialog", "4800", nullptr));
        comboBox_3->setItemText(3, QCoreApplication::translate("Dialog", "9600", nullptr));
        comboBox_3->setItemText(4, QCoreApplication::translate("Dialog", "19200", nullptr));
        comboBox_3->setItemText(5, QCoreApplication::translate("Dialog", "38400", nullptr));
        comboBox_3->setItemText(6, QCoreApplication::translate("Dialog", "57600", nullptr));
        comboBox_3->setItemText(7, QCoreApplication::translate("Dialog", "115200", nullptr));
        comboBox_3->setItemText(8, QCoreApplication::translate("Dialog", "230400", nullptr));
#if QT_CONFIG(tooltip)
        label_11->setToolTip(QCoreApplication::translate("Dialog", "data bits", nullptr));
#endif // QT_CONFIG(tooltip)
        label_11->setText(QCoreApplication::translate("Dialog", "数据位", nullptr));
#if QT_CONFIG(tooltip)
        comboBox_4->setToolTip(QCoreApplication::translate("Dialog", "data bits", nullptr));
#endif // QT_CONFIG(tooltip)
        comboBox_4->setItemText(0, QCoreApplication::translate("Dialog", "5", nullptr));
        comboBox_4->setItemText(1, QCoreApplication::translate("Dialog", "6", nullptr));
        comboBox_4->setItemText(2, QCoreApplication::translate("Dialog", "7", nullptr));
        comboBox_4->setItemText(3, QCoreApplication::translate("Dialog", "8", nullptr));
#if QT_CONFIG(tooltip)
        label_12->setToolTip(QCoreApplication::translate("Dialog", "stop bits", nullptr));
#endif // QT_CONFIG(tooltip)
        label_12->setText(QCoreApplication::translate("Dialog", "停止位", nullptr));
#if QT_CONFIG(tooltip)
        comboBox_5->setToolTip(QCoreApplication::translate("Dialog", "stop bits", nullptr));
#endif // QT_CONFIG(tooltip)
        comboBox_5->setItemText(0, QCoreApplication::translate("Dialog", "1", nullptr));
        comboBox_5->setItemText(1, QCoreApplication::translate("Dialog", "2", nullptr));
#if QT_CONFIG(tooltip)
        label_13->setToolTip(QCoreApplication::translate("Dialog", "parity bit", nullptr));
#endif // QT_CONFIG(tooltip)
        label_13->setText(QCoreApplication::translate("Dialog", "校验位", nullptr));
#if QT_CONFIG(tooltip)
        comboBox_6->setToolTip(QCoreApplication::translate("Dialog", "parity bit", nullptr));
#endif // QT_CONFIG(tooltip)
        comboBox_6->setItemText(0, QCoreApplication::translate("Dialog", "NONE", nullptr));
        comboBox_6->setItemText(1, QCoreApplication::translate("Dialog", "ODD", nullptr));
        comboBox_6->setItemText(2, QCoreApplication::translate("Dialog", "EVEN", nullptr));
#if QT_CONFIG(tooltip)
        label_14->setToolTip(QCoreApplication::translate("Dialog", "remote IP", nullptr));
#endif // QT_CONFIG(tooltip)
        label_14->setText(QCoreApplication::translate("Dialog", "远端IP", nullptr));
#if QT_CONFIG(tooltip)
        lineEdit_7->setToolTip(QCoreApplication::translate("Dialog", "remote IP", nullptr));
#endif // QT_CONFIG(tooltip)
#if QT_CONFIG(tooltip)
        label_15->setToolTip(QCoreApplication::translate("Dialog", "port", nullptr));
#endif // QT_CONFIG(tooltip)
        label_15->setText(QCoreApplication::translate("Dialog", "端口", nullptr));
#if QT_CONFIG(tooltip)
        lineEdit_8->setToolTip(QCoreApplication::translate("Dialog", "port", nullptr));
#endif // QT_CONFIG(tooltip)
#if QT_CONFIG(tooltip)
        pushButton_13->setToolTip(QCoreApplication::translate("Dialog", "transparent mode", nullptr));
#endif // QT_CONFIG(tooltip)
        pushButton_13->setText(QCoreApplication::translate("Dialog", "透传模式", nullptr));
#if QT_CONFIG(tooltip)
        pushButton_14->setToolTip(QCoreApplication::translate("Dialog", "WiFi scan", nullptr));
#endif // QT_CONFIG(tooltip)
        pushButton_14->setText(QCoreApplication::translate("Dialog", "WIFI扫描", nullptr));
#if QT_CONFIG(tooltip)
        label_16->setToolTip(QCoreApplication::translate("Dialog", "local port", nullptr));
#endif // QT_CONFIG(tooltip)
        label_16->setText(QCoreApplication::translate("Dialog", "本地端口", nullptr));
#if QT_CONFIG(tooltip)
        lineEdit_9->setToolTip(QCoreApplication::translate("Dialog", "local port", nullptr));
#endif // QT_CONFIG(tooltip)
        pushButton_15->setText(QCoreApplication::translate("Dialog", "OK", nullptr));
        pushButton_16->setText(QCoreApplication::translate("Dialog", "Cancel", nullptr));
        pushButton_17->setText(QCoreApplication::translate("Dialog", "TCP/DHCP", nullptr));
#if QT_CONFIG(tooltip)
        pushButton_18->setToolTip(QCoreApplication::translate("Dialog", "wireless, DHCP", nullptr));
#endif // QT_CONFIG(tooltip)
        pushButton_18->setText(QCoreApplication::translate("Dialog", "无线DHCP", nullptr));
#if QT_CONFIG(tooltip)
        pushButton_19->setToolTip(QCoreApplication::translate("Dialog", "AP mode", nullptr));
#endif // QT_CONFIG(tooltip)
        pushButton_19->setText(QCoreApplication::translate("Dialog", "AP模式", nullptr));
#if QT_CONFIG(tooltip)
        pushButton_20->setToolTip(QCoreApplication::translate("Dialog", "TCP, static IP", nullptr));
#endif // QT_CONFIG(tooltip)
        pushButton_20->setText(QCoreApplication::translate("Dialog", "TCP/静态IP", nullptr));
#if QT_CONFIG(tooltip)
        pushButton_21->setToolTip(QCoreApplication::translate("Dialog", "wireless, static IP", nullptr));
#endif // QT_CONFIG(tooltip)
        pushButton_21->setText(QCoreApplication::translate("Dialog", "无线静态IP", nullptr));
        comboBox_7->setItemText(0, QCoreApplication::translate("Dialog", "110", nullptr));
        comboBox_7->setItemText(1, QCoreApplication::translate("Dialog", "300", nullptr));
        comboBox_7->setItemText(2, QCoreApplication::translate("Dialog", "600", nullptr));
        comboBox_7->setItemText(3, QCoreApplication::translate("Dialog", "1200", nullptr));
        comboBox_7->setItemText(4, QCoreApplication::translate("Dialog", "2400", nullptr));
        comboBox_7->setItemText(5, QCoreApplication::translate("Dialog", "4800", nullptr));
        comboBox_7->setItemText(6, QCoreApplication::translate("Dialog", "9600", nullptr));
        comboBox_7->setItemText(7, QCoreApplication::translate("Dialog", "14400", nullptr));
        comboBox_7->setItemText(8, QCoreApplication::translate("Dialog", "19200", nullptr));
        comboBox_7->setItemText(9, QCoreApplication::translate("Dialog", "38400", nullptr));
        comboBox_7->setItemText(10, QCoreApplication::translate("Dialog", "56000", nullptr));
        comboBox_7->setItemText(11, QCoreApplication::translate("Dialog", "57600", nullptr));
        comboBox_7->setItemText(12, QCoreApplication::translate("Dialog", "115200", nullptr));
        comboBox_7->setItemText(13, QCoreApplication::translate("Dialog", "128000", nullptr));
        comboBox_7->setItemText(14, QCoreApplication::translate("Dialog", "256000", nullptr));
        comboBox_8->setItemText(0, QCoreApplication::translate("Dialog", "rrrrrrr", nullptr));
        comboBox_9->setItemText(0, QCoreApplication::translate("Dialog", "xx", nullptr));
#if QT_CONFIG(tooltip)
        pushButton_22->setToolTip(QCoreApplication::translate("Dialog", "Stop the running exchange and release the port", nullptr));
#endif // QT_CONFIG(tooltip)
        pushButton_22->setText(QCoreApplication::translate("Dialog", "Stop", nullptr));
#if QT_CONFIG(tooltip)
        label_17->setToolTip(QCoreApplication::translate("Dialog", "Port /dev/ttyS0 at 115200 baud", nullptr));
#endif // QT_CONFIG(tooltip)
        label_17->setText(QCoreApplication::translate("Dialog", "Port /dev/ttyS0 at 115200 baud", nullptr));
    } // retranslateUi

};
// clang-format on

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QDialog dialog;
    Ui_Dialog ui;
    ui.setupUi(&dialog);
    // The command pane starts with the first preset, as the main dialog's does.
    const std::string_view preset = FirstPresetScript();
    ui.plainTextEdit->setPlainText(
        QString::fromUtf8(preset.data(), static_cast<qsizetype>(preset.size())));
    WatchWindowForProbe(dialog);
    dialog.exec();
    return 0;
}
