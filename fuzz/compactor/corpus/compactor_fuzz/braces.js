if (a) {
  b();
}
else {
}