#pragma once
// The news tree and the five derived views a merge works on, on a temporary
// program folder, with the clock fixed and no site-icon fetches. Base is the
// GoogleTest fixture class (a parameterised one too).
#include "app/NewsGlobals.h"
#include "model/CategoryViews.h"
#include "support/FakeClock.h"
#include "support/FakeConnectivity.h"
#include "support/TempFolder.h"

#include <QTreeWidget>
#include <gtest/gtest.h>

template <class Base = ::testing::Test>
class TMergeTrees : public Base {
protected:
    TMergeTrees() : data(home.Path())
    {
        views.tvTree = &tree;
        views.tvTheme = &feeds;
        views.tvWeb = &web;
        views.tvTime = &time;
        views.tvVideo = &video;
        views.tvAudio = &audio;
    }

    FakeClock clock;
    FakeConnectivity offline{false}; // no site-icon fetches
    TempProgramFolder home;
    TNewsData data;
    QTreeWidget tree, feeds, web, time, video, audio;
    TNewsViews views;
};
