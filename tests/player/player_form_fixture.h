#pragma once
// The whole window with a scripted engine in its player and a folder of movies in its file list.

#include <QTemporaryDir>
#include <QToolButton>

#include "app/form1_test_support.h"
#include "chooser_fixture.h"
#include "fake_engine.h"

class PlayerForm : public FormTest {
protected:
    PlayerForm()
    {
        auto owned = std::make_unique<FakeEngine>();
        engine = owned.get();
        form.ShockwaveFlash1->setEngine(std::move(owned));
        for (const char* name : {"clip.swf", "broken.swf", "其他 动画.swf"})
            touch(moviePath(name));
        form.Form_Load();
        form.File1->setPath(movies.path());
    }

    QString moviePath(const char* name) const { return movies.path() + QLatin1Char('/') + QString::fromUtf8(name); }

    // A click on the file's entry in the file list, as the user makes it.
    void clickFile(const char* name)
    {
        const QList<QListWidgetItem*> found = form.File1->findItems(QString::fromUtf8(name), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name;
        form.File1->scrollToItem(found.front());
        QTest::mouseClick(form.File1->viewport(), Qt::LeftButton, {}, form.File1->visualItemRect(found.front()).center());
    }

    QToolButton* buttonWithKey(const char* key) const
    {
        for (QToolButton* button : form.toolbarButtons) {
            if (button->property("Key").toString() == QLatin1String(key))
                return button;
        }
        ADD_FAILURE() << "no toolbar button " << key;
        return nullptr;
    }

    QRgb shownColour() const { return form.ShockwaveFlash1->shownFrame().pixel(0, 0); }

    QTemporaryDir movies;
    FakeEngine* engine = nullptr;  // owned by the player
};
