# Pictures, painting and the avatar animation of the list control.
trradio_add_test(listctrl_pictures_test
  SOURCES pictures_test.cpp paint_probe.cpp test_pictures.cpp
  LIBS trradio_listctrl)
trradio_add_test(listctrl_paint_test
  SOURCES paint_test.cpp screenshot_test.cpp list_fixture.cpp paint_probe.cpp test_pictures.cpp
  LIBS trradio_listctrl)
trradio_add_test(listctrl_flash_test
  SOURCES flash_test.cpp list_fixture.cpp test_pictures.cpp
  LIBS trradio_listctrl)
