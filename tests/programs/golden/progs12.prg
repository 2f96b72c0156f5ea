Option=0003
                              'SIM program 12
SPD 200
TIM 100
MOV 5000                      'index 1
MOV 10000                     'index 2
END
