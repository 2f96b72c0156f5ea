# Precompiled Qt headers. Compiling the Qt headers again for every source file
# is most of the build's time on a small machine; each library gets one
# precompiled header, and targets with the same libraries reuse one (the
# compiler ignores a header made with other library definitions).

option(TORVANE_PRECOMPILE "Precompile the Qt headers" ON)

set(TORVANE_PCH_CORE
    <QByteArray> <QByteArrayList> <QString> <QStringList> <QList> <QHash> <QMap>
    <QObject> <QTimer> <QFile> <QDir> <QFileInfo> <QVariant> <QPointer>
    <QRegularExpression> <QElapsedTimer> <QCoreApplication>)
set(TORVANE_PCH_WIDGETS
    ${TORVANE_PCH_CORE}
    <QWidget> <QDialog> <QLabel> <QPushButton> <QLineEdit> <QComboBox> <QGroupBox>
    <QBoxLayout> <QGridLayout> <QPlainTextEdit> <QSpinBox> <QCheckBox> <QRadioButton>
    <QPainter> <QApplication>)

# torvane_precompile(TARGET CORE|WIDGETS): the target gets its own header.
function(torvane_precompile target kind)
    if(TORVANE_PRECOMPILE)
        target_precompile_headers(${target} PRIVATE ${TORVANE_PCH_${kind}})
    endif()
endfunction()

# torvane_reuse_precompiled(TARGET HOST): the target uses HOST's header, which
# must have been made with the same libraries. The header holds no QtTest:
# its macros read definitions that differ per folder, which would make the
# compiler refuse the header.
function(torvane_reuse_precompiled target host)
    if(TORVANE_PRECOMPILE)
        set_target_properties(${target} PROPERTIES PRECOMPILE_HEADERS_REUSE_FROM ${host})
    endif()
endfunction()
