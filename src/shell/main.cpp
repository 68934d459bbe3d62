// The bot's entry point. It joins games once the server link and the playing bot exist;
// until then it starts and ends cleanly.
int main() {
  return 0;
}
