/m/🎵.mp3
/m/中.mp3
