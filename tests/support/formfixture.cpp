#include "support/formfixture.h"

#include "support/settle.h"
#include "windowkit/openwindows.h"

#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

FormFixture::FormFixture()
    : m_store(m_config.filePath(QStringLiteral("Korvale.ini")))
{
}

FormFixture::~FormFixture() { m_form.reset(); }

Form1& FormFixture::load()
{
    startLoading();
    settle();
    return *m_form;
}

Form1& FormFixture::startLoading()
{
    m_form = std::make_unique<Form1>(m_store);
    return *m_form;
}

bool FormFixture::settle()
{
    return waitUntilSettled([this] { return m_form->isRestoring() || m_form->folderLooks().isLooking(); });
}

void FormFixture::unload()
{
    if (m_form)
        m_form->close();
}

bool FormFixture::generate()
{
    QSignalSpy ended(m_form.get(), &Form1::runEnded);
    QTest::mouseClick(c().Command1, Qt::LeftButton);
    // Not ended.wait(): an event loop of its own would return at once once a test has left
    // through the exit picture.
    return QTest::qWaitFor([&ended] { return !ended.isEmpty(); }, 60000);
}

void FormFixture::writeSettings(const QByteArray& ini) const
{
    QFile file(settingsFile());
    if (file.open(QIODevice::WriteOnly))
        file.write(ini);
}

QByteArray FormFixture::settingsText() const
{
    QFile file(settingsFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
