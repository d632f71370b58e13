/m/ÿþx.mp3
/m/ok.mp3/m/
