Option=0002
  SPD 100
MOV 10   'go
AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA
'cccccccccccccccccccccccccccccccccccccccc
B 'ddddddddddddddddddddddddddddddddddddddd

END
