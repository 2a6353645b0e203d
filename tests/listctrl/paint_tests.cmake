# Pictures, painting and the avatar animation of the list control.
trradio_add_test(listctrl_pictures_test
  SOURCES pictures_test.cpp test_pictures.cpp
  LIBS trradio_listctrl msimg32)
