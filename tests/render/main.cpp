#include <gtest/gtest.h>

#include "render/painter_canvas.h"

// Fonts need a GUI application object; the offscreen platform needs no display.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const tarvolen::render::GuiForPictures gui;
  return RUN_ALL_TESTS();
}
